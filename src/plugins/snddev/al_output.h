#pragma once
// The sound output over OpenAL Soft. The default output device is used when it opens;
// where it does not (no sound card, as on build machines) a loopback device stands in:
// nobody hears it, it is rendered for each frame's time and the samples thrown away,
// so sounds progress and end as if heard. OpenAL Soft picks its back-end once per
// process, so its null output cannot follow a failed default; the loopback can.
//
// How the buffer interface maps: the mix's format becomes the context's attributes;
// a whole buffer is one AL buffer that every duplicate's source plays; a streamed
// buffer is a ring whose unlocked regions are queued on the duplicate's source, one AL
// buffer each, the play cursor being the bytes played modulo the ring's size. Volumes
// become gains (10^(mB/2000)), frequencies pitches (frequency / the buffer's rate);
// positions come in with Z reversed and go to OpenAL with Z reversed back.
#include "plugins/snddev/output_api.h"

namespace quarn::snddev {

// The default output, or the loopback when it does not open.
result_t al_output_create(output_ref_t &out);
// Always the loopback.
result_t al_loopback_create(output_ref_t &out);
// The output devices OpenAL knows.
void al_enumerate_outputs(enum_output_fn receiver, void *context);

}  // namespace quarn::snddev
