#pragma once
// The kernel's C interface: exported from the game program under exactly these names
// (leading underscores included), so that plug-ins bind them by name at load time.
#define KERNEL_API __attribute__((visibility("default")))
