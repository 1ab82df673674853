#include "desktop/qt_page_setup.h"

#include <QtPrintSupport/QPrinterInfo>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QDialog>
#include <QtWidgets/QFormLayout>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QSpinBox>
#include <QtWidgets/QVBoxLayout>

#include "desktop/qt_button_row.h"
#include "desktop/qt_warning.h"
#include "print/page_setup.h"

namespace vortel {
namespace {

constexpr int largest_margin = 100;  // mm; what a paper takes is margins_refusal's

}  // namespace

page_setup& remembered_page_setup()
{
    static page_setup setup;
    return setup;
}

bool ask_page_setup(QWidget* owner, page_setup& setup)
{
    QDialog dialog(owner);
    dialog.setWindowTitle(QStringLiteral("Page Setup"));

    auto* printer = new QComboBox(&dialog);
    printer->setObjectName(QStringLiteral("page_setup_printer"));
    printer->addItem(QStringLiteral("Default printer"), QString());
    for (const QString& name : QPrinterInfo::availablePrinterNames()) printer->addItem(name, name);
    printer->setCurrentIndex(std::max(printer->findData(QString::fromStdString(setup.printer)), 0));

    auto* paper = new QComboBox(&dialog);
    paper->setObjectName(QStringLiteral("page_setup_paper"));
    for (const paper_size& size : paper_sizes) paper->addItem(QString::fromLatin1(size.name));
    const paper_size* chosen = find_paper(setup.paper);
    paper->setCurrentText(QString::fromLatin1(chosen != nullptr ? chosen->name : paper_sizes.front().name));

    auto* portrait = new QRadioButton(QStringLiteral("&Portrait"), &dialog);
    portrait->setObjectName(QStringLiteral("page_setup_portrait"));
    auto* landscape = new QRadioButton(QStringLiteral("&Landscape"), &dialog);
    landscape->setObjectName(QStringLiteral("page_setup_landscape"));
    (setup.landscape ? landscape : portrait)->setChecked(true);
    auto* orientation = new QHBoxLayout;
    orientation->addWidget(portrait);
    orientation->addWidget(landscape);

    // The least value stands for the printer's own margins.
    auto* margins = new QSpinBox(&dialog);
    margins->setObjectName(QStringLiteral("page_setup_margins"));
    margins->setRange(-1, largest_margin);
    margins->setSuffix(QStringLiteral(" mm"));
    margins->setSpecialValueText(QStringLiteral("Printer's own"));
    margins->setValue(setup.margins_mm < 0 ? -1 : static_cast<int>(setup.margins_mm));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("P&rinter:"), printer);
    form->addRow(QStringLiteral("P&aper:"), paper);
    form->addRow(QStringLiteral("Orientation:"), orientation);
    form->addRow(QStringLiteral("&Margins:"), margins);

    page_setup answer;
    auto* ok = new QPushButton(QStringLiteral("&OK"), &dialog);
    ok->setObjectName(QStringLiteral("page_setup_ok"));
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&] {
        answer.printer = printer->currentData().toString().toStdString();
        answer.paper = paper->currentText().toStdString();
        answer.landscape = landscape->isChecked();
        answer.margins_mm = printer_margins;
        if (margins->value() >= 0) {
            const std::string refusal =
                margins_refusal(std::to_string(margins->value()), *find_paper(answer.paper), answer.margins_mm);
            if (!refusal.empty()) {
                show_warning(&dialog, std::string_view(refusal));
                return;
            }
        }
        dialog.accept();
    });
    QHBoxLayout* buttons = ok_cancel_row(dialog, ok, QStringLiteral("page_setup_cancel"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addLayout(buttons);

    if (dialog.exec() != QDialog::Accepted) return false;
    setup = answer;
    return true;
}

}  // namespace vortel
