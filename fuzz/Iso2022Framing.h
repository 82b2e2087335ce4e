#pragma once

#include <cstddef>
#include <cstdint>

// The ISO-2022-JP and ISO-2022-KR framings on the raw input, both ways. The conversion
// engine only ever frames table output, so input that no table gives reaches them here.
void checkIso2022Framing(const uint8_t *p, size_t n);
