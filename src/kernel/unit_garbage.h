#pragma once
// Step 5 of every scheduler pass: free the units whose last reference went during the
// pass. This is the one place in the pass that frees garbage units.
namespace quarn {

void kernel_free_garbage_units();

}  // namespace quarn
