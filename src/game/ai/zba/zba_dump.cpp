#include "game/ai/zba/zba_dump.h"

namespace quarn {

using namespace zba_layout;

namespace {

const char *type_name(uint32_t type) {
    switch (type) {
        case ATTR_FLOAT: return "float";
        case ATTR_INT: return "int";
        case ATTR_STRING: return "string";
        default: return "?";
    }
}

bool dump_item(const zba_info_t &info, const zba_item_t &item, mstring_t &out) {
    bool ok = out.printf_append("    %g ", double(item.time()));
    switch (item.kind()) {
        case ITEM_ANIM:
            ok &= out.printf_append("anim \"%s\" length %g s_weight %g e_weight %g%s\n",
                                    info.animation(uint32_t(item.animation())).name(), double(item.length()),
                                    double(item.s_weight()), double(item.e_weight()),
                                    item.proportional() ? " proportional" : "");
            break;
        case ITEM_WEIGHT: ok &= out.printf_append("weight %g\n", double(item.value())); break;
        case ITEM_WARP: ok &= out.printf_append("warp %g\n", double(item.value())); break;
        case ITEM_INFO: ok &= out.printf_append("info \"%s\"\n", item.text()); break;
        case ITEM_SOUND: ok &= out.printf_append("sound \"%s\"\n", item.text()); break;
        default: ok &= out.printf_append("kind %u\n", item.kind());
    }
    return ok;
}

bool dump_behavior(const zba_info_t &info, const char *kind, uint32_t index, const zba_behavior_t &b,
                   mstring_t &out) {
    bool ok = out.printf_append("%s %u \"%s\" duration %g%s\n", kind, index, b.name(), double(b.duration()),
                                b.from_any() ? " from_any" : "");
    for (uint32_t f = 0, n = info.feature_count(); f < n; ++f)
        ok &= out.printf_append("  pair \"%s\" %u -> %u\n", info.feature(f).name(), b.start_state(f), b.end_state(f));
    for (uint32_t a = 0, n = info.attribute_count(); a < n; ++a) {
        const zba_attribute_t attribute = info.attribute(a);
        switch (attribute.type()) {
            case ATTR_FLOAT:
                ok &= out.printf_append("  value \"%s\" %g\n", attribute.name(), double(b.attribute_float(a)));
                break;
            case ATTR_INT: ok &= out.printf_append("  value \"%s\" %d\n", attribute.name(), b.attribute_int(a)); break;
            default: ok &= out.printf_append("  value \"%s\" \"%s\"\n", attribute.name(), b.attribute_text(a));
        }
    }
    for (uint32_t c = 0, n = b.channel_count(); c < n; ++c) {
        const zba_channel_t channel = b.channel(c);
        ok &= out.printf_append("  channel %u \"%s\" probability %g duration %g\n", c, channel.name(),
                                double(channel.probability()), double(channel.duration()));
        zba_item_t item = channel.first_item();
        for (uint32_t i = 0, items = channel.item_count(); i < items; ++i, item = item.next())
            ok &= dump_item(info, item, out);
    }
    return ok;
}

}  // namespace

bool zba_dump(const zba_info_t &info, mstring_t &out) {
    bool ok = out.printf_append("model \"%s\" \"%s\"\n", info.model_name(), info.model_path());
    for (uint32_t i = 0, n = info.feature_count(); i < n; ++i) {
        const zba_feature_t f = info.feature(i);
        ok &= out.printf_append("feature %u \"%s\"\n", i, f.name());
        for (uint32_t s = 0, states = f.state_count(); s < states; ++s)
            ok &= out.printf_append("  state %u \"%s\" simple %d\n", s, f.state_name(s), f.simple_transition(s));
    }
    for (uint32_t i = 0, n = info.attribute_count(); i < n; ++i) {
        const zba_attribute_t a = info.attribute(i);
        ok &= out.printf_append("attribute %u \"%s\" %s ", i, a.name(), type_name(a.type()));
        switch (a.type()) {
            case ATTR_FLOAT: ok &= out.printf_append("%g\n", double(a.default_float())); break;
            case ATTR_INT: ok &= out.printf_append("%d\n", a.default_int()); break;
            default: ok &= out.printf_append("\"%s\"\n", a.default_text());
        }
    }
    for (uint32_t i = 0, n = info.animation_count(); i < n; ++i) {
        const zba_animation_t a = info.animation(i);
        ok &= out.printf_append("animation %u \"%s\" \"%s\" priority %d super_weight %g length %g\n", i, a.name(),
                                a.path(), a.priority(), double(a.super_weight()), double(a.length()));
    }
    for (uint32_t i = 0, n = info.behavior_count(); i < n; ++i)
        ok &= dump_behavior(info, "behavior", i, info.behavior(i), out);
    for (uint32_t i = 0, n = info.complex_count(); i < n; ++i)
        ok &= dump_behavior(info, "complex", i, info.complex_transition(i), out);
    for (uint32_t i = 0, n = info.simple_count(); i < n; ++i) {
        const zba_simple_t s = info.simple_transition(i);
        const zba_feature_t f = info.feature(s.feature());
        const zba_item_t item = s.item();
        const int32_t anim = item.animation();
        ok &= out.printf_append("simple %u \"%s\" \"%s\" anim %s%s%s length %g s_weight %g e_weight %g%s%s\n", i,
                                f.name(), f.state_name(s.state()), anim < 0 ? "" : "\"",
                                anim < 0 ? "-" : info.animation(uint32_t(anim)).name(), anim < 0 ? "" : "\"",
                                double(item.length()), double(item.s_weight()), double(item.e_weight()),
                                item.proportional() ? " proportional" : "", s.single_frame() ? " single_frame" : "");
    }
    return ok;
}

}  // namespace quarn
