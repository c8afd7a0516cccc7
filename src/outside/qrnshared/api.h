#pragma once
// Symbols of the shared engine layer that other modules may call.
#define QRNSHARED_API __attribute__((visibility("default")))
