#pragma once
// Symbols of the graphics layer that other modules may call.
#define VISBASE_API __attribute__((visibility("default")))
