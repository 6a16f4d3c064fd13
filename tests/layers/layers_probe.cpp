// Compiled with exactly the include roots that a file of one layer has
// (LAYER_OWN: a header of that layer; LAYER_OUTER_*: headers of the layers
// above it). The layer's own headers must be in reach and the outer layers'
// out of it; the build fails here otherwise.
#if !__has_include(LAYER_OWN)
#error "a layer cannot reach its own headers"
#endif
#ifdef LAYER_OUTER_1
#if __has_include(LAYER_OUTER_1)
#error "a layer reaches the headers of a layer above it"
#endif
#endif
#ifdef LAYER_OUTER_2
#if __has_include(LAYER_OUTER_2)
#error "a layer reaches the headers of a layer above it"
#endif
#endif
#ifdef LAYER_OUTER_3
#if __has_include(LAYER_OUTER_3)
#error "a layer reaches the headers of a layer above it"
#endif
#endif

int layers_probe_anchor() { return 0; }
