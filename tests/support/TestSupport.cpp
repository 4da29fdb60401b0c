#include "TestSupport.h"

#include "ZavizoZoz3Control.h"

namespace TestSupport {
void resetEnvironment() {
    ZavizoZoz3::Control::reset();
}
}  // namespace TestSupport
