#pragma once
// The plug-in table.
namespace quarn {

// Step 6 of every scheduler pass: unloads the plug-ins that asked for it.
void kernel_unload_plugins();

}  // namespace quarn
