#pragma once
// Symbols of the sound layer that other modules may call.
#define SONBASE_API __attribute__((visibility("default")))
