#include "core/formats/pending_readers.h"

namespace vox {

#define VOX_DECLINING_READER(fn) \
    ReadResult fn(CMarbeckDoc&, BinaryFile&) { return ReadResult::Declined; }

VOX_DECLINING_READER(read_earlier_tiered_le)
VOX_DECLINING_READER(read_earlier_tiered_be)
VOX_DECLINING_READER(read_lmx_pc)
VOX_DECLINING_READER(read_lmx_mac)
VOX_DECLINING_READER(read_lmx_pc_float_24)
VOX_DECLINING_READER(read_lmx_pc_float)
VOX_DECLINING_READER(read_acquisition_le)
VOX_DECLINING_READER(read_acquisition_be)
VOX_DECLINING_READER(read_data_channel_512)
VOX_DECLINING_READER(read_nsp)
VOX_DECLINING_READER(read_sun_au)
VOX_DECLINING_READER(read_esps)

#undef VOX_DECLINING_READER

}  // namespace vox
