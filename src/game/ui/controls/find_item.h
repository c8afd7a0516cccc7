#pragma once
// find_item_by_id: the item of the view with a layout id below a group (usually a
// window): the group itself when the id is its own, else the first match among its
// children in order, nested groups searched for their public components. With
// public_only the match must be a public component of the group: children a control
// spawned at run time are not found. Each child is locked while it is looked at; the
// answer is the item itself, not counted. Null when nothing matches.
#include <cstdint>

namespace quarn {

class c_item_t;
class ui_view_t;

c_item_t *find_item_by_id(ui_view_t *group, int32_t id, bool public_only = true);

}  // namespace quarn
