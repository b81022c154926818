#include "platform/settings.h"

namespace platform {
Settings settings;
}
