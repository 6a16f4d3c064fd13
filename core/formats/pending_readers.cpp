#include "core/formats/pending_readers.h"

namespace vox {

#define VOX_DECLINING_READER(fn) \
    ReadResult fn(CMarbeckDoc&, BinaryFile&) { return ReadResult::Declined; }

VOX_DECLINING_READER(read_earlier_tiered_le)
VOX_DECLINING_READER(read_earlier_tiered_be)

#undef VOX_DECLINING_READER

}  // namespace vox
