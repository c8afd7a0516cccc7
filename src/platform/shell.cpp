#include "platform/shell.h"

#include <cstdio>
#include <cstring>

#include "platform/process.h"

namespace quarn::platform {

namespace {

shell_page_opener_t page_opener = nullptr;

bool is_web_address(const char *url) {
    return url && (strncmp(url, "http://", 7) == 0 || strncmp(url, "https://", 8) == 0);
}

}  // namespace

bool shell_open_page(const char *url) {
    if (!is_web_address(url)) return false;
    return page_opener ? page_opener(url) : process_open_url(url);
}

void shell_set_page_opener(shell_page_opener_t opener) { page_opener = opener; }

void shell_message_box(const char *caption, const char *text) {
    fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    fflush(stderr);
}

}  // namespace quarn::platform
