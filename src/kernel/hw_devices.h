#pragma once
// The registry of hardware devices.
namespace quarn {

// Step 2 of every scheduler pass: polls every registered device that runs.
void kernel_poll_devices();

}  // namespace quarn
