#include "common/SharedSettingsFolder.h"

QString SharedSettingsFolder()
{
    return {};
}
