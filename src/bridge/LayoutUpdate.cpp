#include "LayoutUpdate.h"

void LayoutUpdate::notify(ZavizoZoz3::LAYOUT_TYPE type) {
    emit ValueUpdate(type);
}
