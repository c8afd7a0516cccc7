// Reading layouts and building their windows. A layout's top level is its window (the
// first entity, of a window class) and optionally its handler (the last, of a handler
// class); every entity inside the window must be a view, and only groups hold
// entities. Every fault is reported with the file and line of the entity or attribute
// it concerns, and nothing of a failed window is left: the items built so far go with
// their references, and each entity's release returns whatever its class holds.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "outside/qrnshared/ui/esc.h"
#include "outside/qrnshared/ui/ui_group.h"
#include "outside/qrnshared/ui/ui_handler.h"
#include "outside/qrnshared/ui/ui_item.h"
#include "outside/qrnshared/ui/ui_state.h"
#include "outside/qrnshared/ui/ui_window.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/auto_ptr.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// Layout texts for the reader: from the layout source, else from files; file texts are
// kept until the read ends.
class layout_source_t : public esc_source_t {
public:
    ~layout_source_t() {
        for (char *b : m_buffers) qrncore_system_delete_vector(b);
    }

    const char *read(const char *path, size_t *length) override {
        if (ui_layout_source_t source = ui_state().source)
            if (const char *text = source(path)) {
                *length = strlen(text);
                return text;
            }
        auto_ptr_t<file_t> file(fs_open(path, FS_REALM_VIRTUAL));
        if (!file) return nullptr;
        const uint64_t size = file->size();
        if (file->get_error() != FS_ERR_NONE || size > esc_document_t::MAX_FILE_SIZE) {
            // The reader names the file; too large is its own message.
            if (size > esc_document_t::MAX_FILE_SIZE) error("[ui] %s: the file is larger than %zu bytes", path, esc_document_t::MAX_FILE_SIZE);
            return nullptr;
        }
        char *buffer = static_cast<char *>(qrncore_system_new_vector(size_t(size) + 1));
        if (!buffer || !m_buffers.append(buffer)) {
            if (buffer) qrncore_system_delete_vector(buffer);
            error("[ui] %s: out of memory", path);
            return nullptr;
        }
        if (size && !file->block_read(buffer, uint32_t(size), 0)) return nullptr;
        buffer[size] = 0;
        *length = size_t(size);
        return buffer;
    }

private:
    array_dyn_t<char *> m_buffers;
};

class builder_t {
public:
    explicit builder_t(const esc_document_t &doc) : m_doc(doc) {}

    c_item_t *build();

private:
    bool fail(uint32_t file, uint32_t line, const char *fmt, ...) V_PRINTF(4, 5);
    // A spawned entity of the entity's class with its attributes set; counted once.
    c_item_t *spawn(const esc_entity_t &e);
    // The children of e into the group.
    bool build_children(const esc_entity_t &e, ui_group_t *group);

    const esc_document_t &m_doc;
};

bool builder_t::fail(uint32_t file, uint32_t line, const char *fmt, ...) {
    char what[512];
    va_list args;
    va_start(args, fmt);
    vsnprintf(what, sizeof what, fmt, args);
    va_end(args);
    error("[ui] %s:%u: %s", m_doc.file_name(file), line, what);
    return false;
}

c_item_t *builder_t::spawn(const esc_entity_t &e) {
    const char *class_name = e.class_name.c_str();
    if (!entity_find_class(class_name)) {
        fail(e.file, e.line, "unknown class '%s'", class_name);
        return nullptr;
    }
    c_item_t *item = ui_spawn_ci(class_name);
    if (!item) {
        fail(e.file, e.line, "a '%s' could not be made", class_name);
        return nullptr;
    }
    entity_t *entity = ui_entity_of(item);
    for (const esc_attr_t &a : e.attrs) {
        if (!entity->find_value(a.name.c_str())) {
            fail(a.file, a.line, "'%s' has no attribute '%s'", class_name, a.name.c_str());
            item->release_ref();
            return nullptr;
        }
        if (!entity->try_set_value(a.name.c_str(), a.value.c_str())) {
            fail(a.file, a.line, "bad value \"%s\" for the attribute '%s' of '%s'", a.value.c_str(), a.name.c_str(),
                 class_name);
            item->release_ref();
            return nullptr;
        }
    }
    if (ui_view_t *v = ui_as_view(entity)) v->ui_setup();
    return item;
}

bool builder_t::build_children(const esc_entity_t &e, ui_group_t *group) {
    for (const esc_entity_t *child : e.children) {
        c_item_t *item = spawn(*child);
        if (!item) return false;
        ui_view_t *view = ui_view_of(item);
        bool ok = true;
        if (!view) {
            ok = fail(child->file, child->line, "'%s' is no view: it cannot stand inside a window", child->class_name.c_str());
        } else if (ui_as_window(view)) {
            ok = fail(child->file, child->line, "the window class '%s' cannot stand inside a window",
                      child->class_name.c_str());
        } else if (!child->children.is_empty() && !ui_as_group(view)) {
            ok = fail(child->file, child->line, "'%s' holds entities but is no group", child->class_name.c_str());
        } else if (!group->add_child(item, true)) {
            ok = fail(child->file, child->line, "'%s' could not be added to its group", child->class_name.c_str());
        }
        // The group holds the child from here (or nothing does, and it goes).
        item->release_ref();
        if (!ok) return false;
        if (ui_group_t *g = ui_as_group(view))
            if (!build_children(*child, g)) return false;
    }
    return true;
}

c_item_t *builder_t::build() {
    const uint32_t n = m_doc.top.get_count();
    if (n == 0) {
        fail(0, 1, "the layout holds no entity");
        return nullptr;
    }
    const esc_entity_t &root = *m_doc.top[0];
    if (n > 2) {
        const esc_entity_t &extra = *m_doc.top[1];
        fail(extra.file, extra.line, "only a window and its handler stand at the top level ('%s' is a third entity)",
             extra.class_name.c_str());
        return nullptr;
    }
    c_item_t *window_item = spawn(root);
    if (!window_item) return nullptr;
    ui_window_t *window = ui_window_of(window_item);
    if (!window) {
        fail(root.file, root.line, "the first entity '%s' is no window class", root.class_name.c_str());
        window_item->release_ref();
        return nullptr;
    }
    if (!build_children(root, window)) {
        window_item->release_ref();
        return nullptr;
    }
    if (n == 2) {
        const esc_entity_t &last = *m_doc.top[1];
        c_item_t *handler_item = spawn(last);
        if (!handler_item) {
            window_item->release_ref();
            return nullptr;
        }
        ui_handler_t *handler = ui_as_handler(ui_entity_of(handler_item));
        if (!handler || !last.children.is_empty()) {
            fail(last.file, last.line, handler ? "the handler '%s' holds entities" : "the last entity '%s' is no handler class",
                 last.class_name.c_str());
            handler_item->release_ref();
            window_item->release_ref();
            return nullptr;
        }
        window->handler_item = handler_item;
        handler_item->release_ref();
        handler->set_window_item(window_item);
    }
    window->path = m_doc.file_name(root.file);
    // Initialisation: stage 0 everywhere, then stage 1; a failed stage undoes the
    // window as its removal would.
    ui_handler_t *handler = window->get_handler();
    for (int stage = 0; stage < 2; ++stage) {
        int r = window->init(stage);
        if (r == 0 && handler) r = handler->init(stage);
        if (r != 0) {
            fail(root.file, root.line, "the window '%s' failed to initialise (stage %d answered %d)",
                 root.class_name.c_str(), stage, r);
            for (int s = 0; s < 2; ++s) {
                window->destroy(s);
                if (handler) handler->destroy(s);
            }
            window_item->release_ref();
            return nullptr;
        }
    }
    return window_item;
}

}  // namespace

bool ui_read_layout(const char *path, const char *text, esc_document_t &doc) {
    layout_source_t source;
    size_t length = 0;
    if (text) {
        length = strlen(text);
    } else {
        text = source.read(path, &length);
        if (!text) {
            error("[ui] The layout '%s' cannot be read", path ? path : "");
            return false;
        }
    }
    return esc_parse(text, length, path, &source, doc);
}

c_item_t *ui_build_layout(const esc_document_t &doc) {
    builder_t builder(doc);
    return builder.build();
}

}  // namespace quarn
