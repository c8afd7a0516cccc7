#pragma once
// The launcher's texts by number: every text the user sees, the cvar names it edits
// and the names of its files and registry keys. German, UTF-8, spelled as the product
// ships them (typos included).
#include <string>

namespace quarn::kickup {

// The text of an id; "[" id "] resource id" when the table has none. Never fails.
std::string load_resource_string(int id);

}  // namespace quarn::kickup
