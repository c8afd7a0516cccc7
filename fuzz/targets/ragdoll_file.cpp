// Reads arbitrary bytes as a ragdoll unit file into the ragdoll classes: a load either
// fails or leaves a ragdoll whose parts all hang from its root joint, each once, with
// axes in range and sizes above 0. Every unit the load made is freed again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/ai/animals/ragdoll.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_load.h"
#include "qrncore/units/unit_system.h"
#include "support/fuzz_unit_load.h"

namespace quarn {
namespace {

struct world_t {
    world_t() : system(bank) {
        system.set_default();
        for (bool ok : {ragdoll_u::register_class(bank), ragdoll_part_u::register_class(bank),
                        ragdoll_part_capsule_u::register_class(bank), ragdoll_part_sphere_u::register_class(bank),
                        ragdoll_part_box_u::register_class(bank), ragdoll_joint_u::register_class(bank),
                        ragdoll_joint_universal_u::register_class(bank), ragdoll_joint_hinge_u::register_class(bank),
                        ragdoll_joint_root_u::register_class(bank)})
            if (!ok) abort();
    }
    unit_bank_t bank;
    unit_system_t system;
};

// What a passed load promises the binding.
void check(const ragdoll_u &r) {
    uint32_t reached = 0;
    ragdoll_joint_u *root = r.get_root_joint();
    if (!root || !root->get_child()) abort();
    array_dyn_t<ragdoll_part_u *> open;
    open.append(root->get_child());
    while (!open.is_empty()) {
        ragdoll_part_u *part = open[open.get_count() - 1];
        open.remove(open.get_count() - 1);
        if (++reached > r.get_part_count() || !part->check_sizes()) abort();
        for (uint32_t i = 0; i < part->get_child_joint_count(); ++i) {
            ragdoll_joint_u *joint = part->get_child_joint(i);
            if (!joint->check_axes() || !joint->get_child()) abort();
            for (uint32_t a = 0; a < joint->get_axis_count(); ++a)
                if (joint->get_axis(a) < 0 || joint->get_axis(a) > 2) abort();
            open.append(joint->get_child());
        }
    }
    if (reached != r.get_part_count()) abort();
}

}  // namespace
}  // namespace quarn

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace quarn;
    static world_t world;
    test::fuzz_unit_load(world.system, data, size, "/f/ragdoll.unit", false, [](unit_base_t *root) {
        if (ragdoll_u *r = unit_cast<ragdoll_u>(root)) check(*r);
    });
    return 0;
}
