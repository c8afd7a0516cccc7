#pragma once
// Symbols of the platform layer that other modules may call.
#define QRN_PLATFORM_API __attribute__((visibility("default")))
