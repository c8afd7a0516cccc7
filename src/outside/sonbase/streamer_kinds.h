#pragma once
// The two kinds of streamer behind streamer_t::open (not part of the layer's
// interface).
#include "outside/sonbase/streamer.h"

namespace quarn::sound {

// A RIFF WAVE file of PCM samples; null (logged) when it is not one this layer reads.
auto_ptr_t<streamer_t>::ret_t open_wav_streamer(auto_ptr_t<file_t> &file, const char *name);
// An Ogg Vorbis stream of one or two channels; null (logged) otherwise.
auto_ptr_t<streamer_t>::ret_t open_ogg_streamer(auto_ptr_t<file_t> &file, const char *name);

}  // namespace quarn::sound
