#include "qt_support.h"

namespace {
const auto* const qtEnvironment = ::testing::AddGlobalTestEnvironment(new TQtEnvironment);
}
