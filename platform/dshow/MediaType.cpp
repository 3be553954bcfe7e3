#include "MediaType.h"

#include <cstdlib>
#include <cstring>

namespace dshow {

bool CopyMediaType(AM_MEDIA_TYPE* dst, const AM_MEDIA_TYPE& src) {
    *dst = src;
    dst->pUnk = 0;
    if (src.cbFormat && src.pbFormat) {
        dst->pbFormat = static_cast<uint8_t*>(std::malloc(src.cbFormat));
        if (!dst->pbFormat) {
            dst->cbFormat = 0;
            return false;
        }
        std::memcpy(dst->pbFormat, src.pbFormat, src.cbFormat);
    } else {
        dst->pbFormat = nullptr;
        dst->cbFormat = 0;
    }
    return true;
}

AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE& src) {
    auto* mt = static_cast<AM_MEDIA_TYPE*>(std::malloc(sizeof(AM_MEDIA_TYPE)));
    if (!mt) return nullptr;
    new (mt) AM_MEDIA_TYPE;
    if (!CopyMediaType(mt, src)) {
        std::free(mt);
        return nullptr;
    }
    return mt;
}

void FreeMediaType(AM_MEDIA_TYPE& mt) {
    std::free(mt.pbFormat);
    mt.pbFormat = nullptr;
    mt.cbFormat = 0;
    mt.pUnk = 0;
}

void DeleteMediaType(AM_MEDIA_TYPE* mt) {
    if (!mt) return;
    FreeMediaType(*mt);
    std::free(mt);
}

const VIDEOINFOHEADER* VideoInfo(const AM_MEDIA_TYPE& mt) {
    if (mt.formattype == FORMAT_VideoInfo && mt.pbFormat && mt.cbFormat >= sizeof(VIDEOINFOHEADER))
        return reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat);
    return nullptr;
}

const WAVEFORMATEX* WaveFormat(const AM_MEDIA_TYPE& mt) {
    if (mt.formattype == FORMAT_WaveFormatEx && mt.pbFormat && mt.cbFormat >= sizeof(WAVEFORMATEX))
        return reinterpret_cast<const WAVEFORMATEX*>(mt.pbFormat);
    return nullptr;
}

namespace {

// Gives the record its own copy of a format block.
void setFormatBlock(AM_MEDIA_TYPE& mt, const GUID& formattype, const void* block, uint32_t size) {
    mt.formattype = formattype;
    mt.pbFormat = static_cast<uint8_t*>(std::malloc(size));
    mt.cbFormat = mt.pbFormat ? size : 0;
    if (mt.pbFormat) std::memcpy(mt.pbFormat, block, size);
}

struct VideoSubtypeInfo {
    GUID subtype;
    const char* name;
    uint16_t bits;
    bool fixedSize;
};
const VideoSubtypeInfo kVideoSubtypes[] = {
    {MEDIASUBTYPE_RGB24, "RGB24", 24, true}, {MEDIASUBTYPE_RGB32, "RGB32", 32, true},
    {MEDIASUBTYPE_YUY2, "YUY2", 16, true},   {MEDIASUBTYPE_I420, "I420", 12, true},
    {MEDIASUBTYPE_NV12, "NV12", 12, true},   {MEDIASUBTYPE_MJPG, "MJPG", 24, false},
    {MEDIASUBTYPE_dvsd, "dvsd", 24, true},
};

const VideoSubtypeInfo* videoSubtype(const GUID& g) {
    for (const auto& v : kVideoSubtypes)
        if (v.subtype == g) return &v;
    return nullptr;
}

} // namespace

bool SubtypeFromName(const std::string& name, GUID& out) {
    for (const auto& v : kVideoSubtypes)
        if (name == v.name) {
            out = v.subtype;
            return true;
        }
    return false;
}

uint32_t StreamFormat::sampleSize() const {
    if (isAudio()) return 0;
    const int64_t w = width, h = height;
    if (subtype == MEDIASUBTYPE_RGB24) return uint32_t(Rgb24Stride(w) * h);
    if (subtype == MEDIASUBTYPE_RGB32) return uint32_t(w * 4 * h);
    if (subtype == MEDIASUBTYPE_YUY2) return uint32_t(w * 2 * h);
    if (subtype == MEDIASUBTYPE_I420 || subtype == MEDIASUBTYPE_NV12) return uint32_t(w * h * 3 / 2);
    if (subtype == MEDIASUBTYPE_dvsd)
        return (h == 480 || (fpsNum * 1001 == 30000 * fpsDen)) ? 120000 : 144000;
    return 0;
}

AM_MEDIA_TYPE MakeMediaType(const StreamFormat& f) {
    AM_MEDIA_TYPE mt;
    mt.majortype = f.majortype;
    mt.subtype = f.subtype;
    if (f.isAudio()) {
        WAVEFORMATEX wf;
        wf.wFormatTag = WAVE_FORMAT_PCM;
        wf.nChannels = uint16_t(f.channels);
        wf.nSamplesPerSec = uint32_t(f.rate);
        wf.wBitsPerSample = uint16_t(f.bits);
        wf.nBlockAlign = uint16_t(f.channels * f.bits / 8);
        wf.nAvgBytesPerSec = wf.nSamplesPerSec * wf.nBlockAlign;
        mt.bFixedSizeSamples = 1;
        mt.lSampleSize = wf.nBlockAlign;
        setFormatBlock(mt, FORMAT_WaveFormatEx, &wf, sizeof wf);
        return mt;
    }
    VIDEOINFOHEADER vih;
    const auto* info = videoSubtype(f.subtype);
    vih.rcSource = {0, 0, f.width, f.height};
    vih.rcTarget = vih.rcSource;
    if (f.fpsNum > 0) vih.AvgTimePerFrame = (REFERENCE_TIME(10000000) * f.fpsDen + f.fpsNum / 2) / f.fpsNum;
    vih.bmiHeader.biWidth = f.width;
    vih.bmiHeader.biHeight = f.height;
    vih.bmiHeader.biBitCount = info ? info->bits : 24;
    vih.bmiHeader.biCompression =
        (f.subtype == MEDIASUBTYPE_RGB24 || f.subtype == MEDIASUBTYPE_RGB32) ? 0 : f.subtype.Data1;
    vih.bmiHeader.biSizeImage = f.sampleSize();
    if (f.fpsNum > 0)
        vih.dwBitRate =
            uint32_t(uint64_t(vih.bmiHeader.biSizeImage) * 8 * uint64_t(f.fpsNum) / uint64_t(f.fpsDen));
    mt.bFixedSizeSamples = info && info->fixedSize ? 1 : 0;
    mt.bTemporalCompression = 0;
    mt.lSampleSize = vih.bmiHeader.biSizeImage;
    setFormatBlock(mt, FORMAT_VideoInfo, &vih, sizeof vih);
    return mt;
}

bool FormatFromMediaType(const AM_MEDIA_TYPE& mt, StreamFormat& out) {
    StreamFormat f;
    f.majortype = mt.majortype;
    f.subtype = mt.subtype;
    if (mt.majortype == MEDIATYPE_Audio) {
        const WAVEFORMATEX* wf = WaveFormat(mt);
        if (!wf || wf->wFormatTag != WAVE_FORMAT_PCM) return false;
        f.channels = wf->nChannels;
        f.rate = int32_t(wf->nSamplesPerSec);
        f.bits = wf->wBitsPerSample;
        out = f;
        return true;
    }
    const VIDEOINFOHEADER* vih = VideoInfo(mt);
    if (mt.majortype != MEDIATYPE_Video || !vih) return false;
    f.width = vih->bmiHeader.biWidth;
    f.height = vih->bmiHeader.biHeight < 0 ? -vih->bmiHeader.biHeight : vih->bmiHeader.biHeight;
    if (vih->AvgTimePerFrame > 0) {
        // Frame times of the common rates come back as the exact fractions.
        const int64_t t = vih->AvgTimePerFrame;
        if (t == 166833 || t == 333667 || t == 417083) {
            f.fpsNum = t == 166833 ? 60000 : t == 333667 ? 30000 : 24000;
            f.fpsDen = 1001;
        } else if (10000000 % t == 0) {
            f.fpsNum = int32_t(10000000 / t);
            f.fpsDen = 1;
        } else {
            f.fpsNum = 10000000;
            f.fpsDen = int32_t(t);
        }
    }
    out = f;
    return true;
}

} // namespace dshow
