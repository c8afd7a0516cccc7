#include "plugins/snddev/output_api.h"

namespace quarn::snddev {

const char *result_name(result_t r) {
    switch (r) {
        case DS_OK: return "DS_OK";
        case DSERR_GENERIC: return "DSERR_GENERIC";
        case DSERR_INVALIDPARAM: return "DSERR_INVALIDPARAM";
        case DSERR_INVALIDCALL: return "DSERR_INVALIDCALL";
        case DSERR_OUTOFMEMORY: return "DSERR_OUTOFMEMORY";
        case DSERR_BADFORMAT: return "DSERR_BADFORMAT";
        case DSERR_UNSUPPORTED: return "DSERR_UNSUPPORTED";
        case DSERR_NODRIVER: return "DSERR_NODRIVER";
        case DSERR_BUFFERLOST: return "DSERR_BUFFERLOST";
        case DSERR_CONTROLUNAVAIL: return "DSERR_CONTROLUNAVAIL";
        case DSERR_UNINITIALIZED: return "DSERR_UNINITIALIZED";
        case DSERR_ALLOCATED: return "DSERR_ALLOCATED";
        default: return "DSERR_UNKNOWN";
    }
}

}  // namespace quarn::snddev
