#include "core/XStringCom.h"

XStringCom::XStringCom() {}

XStringCom::~XStringCom() {}

void XStringCom::setFromUtf16N(const uint16_t *units, uint32_t count) {
    setUtf16Units(units, count);
}

const uint16_t *XStringCom::getUtf16N(uint32_t &count) {
    return getUtf16Units(count);
}
