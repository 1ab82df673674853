// The row of OK and Cancel at the foot of a small dialog: the two buttons
// at its right, Cancel rejecting the dialog. The caller wires OK, whose
// checks differ from dialog to dialog.
#pragma once

#include <QtCore/QString>

class QDialog;
class QHBoxLayout;
class QPushButton;

namespace vortel {

// `cancel_name` is the Cancel button's object name, by which tests find it.
QHBoxLayout* ok_cancel_row(QDialog& dialog, QPushButton* ok, const QString& cancel_name);

}  // namespace vortel
