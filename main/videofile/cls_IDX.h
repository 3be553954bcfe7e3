#pragma once
// One entry of an AVI frame index (idx1): the chunk's tag, its flags, where
// the chunk lies and how long it is.
#include <cstdint>
#include <string>

class cls_IDX {
public:
    std::string ckid;
    int32_t dwFlags = 0;
    int32_t dwChunkOffset = 0;
    int32_t dwChunkLength = 0;
};
