#include "commands/setting_options.h"

#include "runtime/settings.h"
#include "text/text_to_number.h"

namespace vortel {

navigation_options navigation_by_settings()
{
    navigation_options options;
    options.hide_deleted = text_to_long(setting_by_index(SET_DELETED)) != 0;
    return options;
}

}  // namespace vortel
