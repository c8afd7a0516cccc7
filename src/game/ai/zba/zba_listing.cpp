#include "game/ai/zba/zba_listing.h"

#include "game/ai/zba/zba_info.h"
#include "game/ai/zba/zba_proc.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/messages.h"

namespace quarn {

using namespace zba_layout;

namespace {

const char *const mnemonics[ZBA_OPCODE_COUNT] = {"wgh", "wgs", "tsh", "evt", "anm", "ans", "wtt", "hlt"};

bool list_instruction(const zba_info_t &file, const zba_instr_t &in, mstring_t &out) {
    if (in.opcode >= ZBA_OPCODE_COUNT) return out.printf_append("op%u %u", in.opcode, in.operand);
    const char *name = mnemonics[in.opcode];
    switch (in.opcode) {
        case ZBA_EVT: {
            const zba_item_t item(file.image(), in.operand);
            return out.printf_append("%s %s %s", name, item.kind() == ITEM_SOUND ? "sound" : "info", item.text());
        }
        case ZBA_ANM: {
            const zba_item_t item(file.image(), in.operand);
            return out.printf_append("%s %s", name, file.animation(uint32_t(item.animation())).name());
        }
        case ZBA_ANS: return out.printf_append("%s %u", name, in.operand);
        case ZBA_HLT: return out.printf_append("%s", name);
        default: return out.printf_append("%s %g", name, double(in.value()));
    }
}

// Lists the threads of the locked program into out, one line each.
bool list_program(const zba_proc_t &program, const zba_info_t &file, mstring_t &out) {
    bool ok = true;
    const zba_thread_t *threads = program.threads();
    for (uint32_t i = 0; i < program.thread_count; ++i) {
        const uint32_t first = threads[i].code;
        // A thread runs to its hlt; the next thread's code starts after it.
        const uint32_t stop = i + 1 < program.thread_count ? threads[i + 1].code : program.code_count;
        for (uint32_t k = first; k < stop && k < program.code_count; ++k) {
            if (k > first) ok &= out.append(" / ");
            ok &= list_instruction(file, program.code()[k], out);
        }
        ok &= out.append("\n");
    }
    return ok;
}

}  // namespace

bool zba_listing(c_item_t *program, mstring_t &out) {
    zba_proc_lock_t p(program);
    if (!p) return false;
    zba_proc_lock_t code(p->is_process() ? p->source : program);
    if (!code) return false;
    c_item_lock_t file(code->file);
    if (!file.get_data()) return false;
    return list_program(*code.get(), zba_info_t(static_cast<uint8_t *>(file.get_data())), out);
}

void zba_log_listing(c_item_t *program, const char *title) {
    string_dyn_t<> text;
    if (!zba_listing(program, text)) {
        verbose("[zba_vm] %s: no listing", title ? title : "");
        return;
    }
    uint32_t thread = 0;
    const char *line = text.c_str();
    while (*line) {
        const char *end = line;
        while (*end && *end != '\n') ++end;
        verbose("[zba_vm] %s thread %u: %.*s", title ? title : "", thread++, int(end - line), line);
        line = *end ? end + 1 : end;
    }
}

}  // namespace quarn
