#pragma once
// Linking of doubly linked chains, shared by the pointer list and the data list. A
// chain is described by its two ends; a null position is the gap that closes the
// chain, so linking before null appends and linking after null prepends.
#include <cstddef>

namespace quarn::list_links {

// Links the detached node n before `before` (at the end when `before` is null).
template <class N>
void link_before(N *&first, N *&last, N *before, N *n) {
    n->next = before;
    if (before) {
        n->prev = before->prev;
        before->prev = n;
    } else {
        n->prev = last;
        last = n;
    }
    if (n->prev)
        n->prev->next = n;
    else
        first = n;
}

// Links the detached node n after `after` (at the front when `after` is null).
template <class N>
void link_after(N *&first, N *&last, N *after, N *n) {
    n->prev = after;
    if (after) {
        n->next = after->next;
        after->next = n;
    } else {
        n->next = first;
        first = n;
    }
    if (n->next)
        n->next->prev = n;
    else
        last = n;
}

// Unlinks n from the chain; its own links are left as they were.
template <class N>
void unlink(N *&first, N *&last, N *n) {
    if (n->prev)
        n->prev->next = n->next;
    else
        first = n->next;
    if (n->next)
        n->next->prev = n->prev;
    else
        last = n->prev;
}

// Relinks a node of the chain at the front; nothing when it is already there.
template <class N>
void move_to_start(N *&first, N *&last, N *n) {
    if (n == first) return;
    unlink(first, last, n);
    link_after(first, last, static_cast<N *>(nullptr), n);
}

// Relinks a node of the chain at the end; nothing when it is already there.
template <class N>
void move_to_end(N *&first, N *&last, N *n) {
    if (n == last) return;
    unlink(first, last, n);
    link_before(first, last, static_cast<N *>(nullptr), n);
}

// Moves the whole chain (ofirst, olast) in front of (first, last); the other chain's
// ends are cleared. Nothing when the other chain is empty.
template <class N>
void splice_front(N *&first, N *&last, N *&ofirst, N *&olast) {
    if (!ofirst) return;
    olast->next = first;
    if (first)
        first->prev = olast;
    else
        last = olast;
    first = ofirst;
    ofirst = olast = nullptr;
}

// Moves the whole chain (ofirst, olast) behind (first, last); the other chain's ends
// are cleared. Nothing when the other chain is empty.
template <class N>
void splice_back(N *&first, N *&last, N *&ofirst, N *&olast) {
    if (!ofirst) return;
    ofirst->prev = last;
    if (last)
        last->next = ofirst;
    else
        first = ofirst;
    last = olast;
    ofirst = olast = nullptr;
}

// Hands every node of the chain back to pool (anything with free(void *)), first to
// last, and clears the chain's ends.
template <class N, class P>
void free_all(N *&first, N *&last, P *pool) {
    for (N *n = first; n;) {
        N *next = n->next;
        pool->free(n);
        n = next;
    }
    first = last = nullptr;
}

}  // namespace quarn::list_links

namespace quarn::list_links {

// Temporary array of count node pointers for a sort, from the host allocator; aborts
// when the host has no memory (a sort has no way to report failure). Freed with
// free_sort_array.
void **alloc_sort_array(size_t count);
void free_sort_array(void **array);

}  // namespace quarn::list_links
