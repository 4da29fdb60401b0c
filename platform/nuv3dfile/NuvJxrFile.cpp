// SPDX-License-Identifier: Apache-2.0
#include "NuvJxrFile.h"

#include "Nuv3DFileOperation.h"

#ifdef NUV_HAVE_JXR
#include <JXRGlue.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "NuvFileWriter.h"

namespace {
// An in-memory output stream, so the file itself is written through our UTF-8 path handling.
struct Output {
    std::vector<uint8_t> bytes;
    size_t position = 0;
};

Output* outputOf(WMPStream* s) {
    return static_cast<Output*>(s->state.pvObj);
}

ERR streamWrite(WMPStream* s, const void* data, size_t size) {
    Output* out = outputOf(s);
    if (out->position + size > out->bytes.size()) out->bytes.resize(out->position + size);
    std::memcpy(out->bytes.data() + out->position, data, size);
    out->position += size;
    return WMP_errSuccess;
}
ERR streamRead(WMPStream* s, void* data, size_t size) {
    Output* out = outputOf(s);
    if (out->position + size > out->bytes.size()) return WMP_errFileIO;
    std::memcpy(data, out->bytes.data() + out->position, size);
    out->position += size;
    return WMP_errSuccess;
}
ERR streamSetPos(WMPStream* s, size_t position) {
    outputOf(s)->position = position;
    return WMP_errSuccess;
}
ERR streamGetPos(WMPStream* s, size_t* position) {
    *position = outputOf(s)->position;
    return WMP_errSuccess;
}
Bool streamEnd(WMPStream* s) {
    return outputOf(s)->position >= outputOf(s)->bytes.size();
}
ERR streamClose(WMPStream** s) {
    std::free(*s);
    *s = nullptr;
    return WMP_errSuccess;
}

// Encodes losslessly (quantisation index 1) as 16-bit grey; false on any codec error.
bool encode(const NuvRangeImage& image, Output* out) {
    PKCodecFactory* factory = nullptr;
    PKImageEncode* encoder = nullptr;
    if (PKCreateCodecFactory(&factory, WMP_SDK_VERSION) < 0) return false;
    auto* stream = static_cast<WMPStream*>(std::calloc(1, sizeof(WMPStream)));
    stream->state.pvObj = out;
    stream->Close = streamClose;
    stream->EOS = streamEnd;
    stream->Read = streamRead;
    stream->Write = streamWrite;
    stream->SetPos = streamSetPos;
    stream->GetPos = streamGetPos;

    CWMIStrCodecParam params;
    std::memset(&params, 0, sizeof(params));
    params.uiDefaultQPIndex = 1;
    params.cfColorFormat = Y_ONLY;
    params.bdBitDepth = BD_LONG;
    params.olOverlap = OL_ONE;
    params.bfBitstreamFormat = SPATIAL;
    params.sbSubband = SB_ALL;
    params.cChannel = 1;

    // The image's rows are handed over as they lie; the codec does not write to them.
    cv::Mat samples = image.mat().isContinuous() ? image.mat() : image.mat().clone();
    bool ok = factory->CreateCodec(&IID_PKImageWmpEncode, reinterpret_cast<void**>(&encoder)) >= 0 &&
              encoder->Initialize(encoder, stream, &params, sizeof(params)) >= 0;
    if (!ok && encoder == nullptr) stream->Close(&stream);
    ok = ok && encoder->SetPixelFormat(encoder, GUID_PKPixelFormat16bppGray) >= 0 &&
         encoder->SetSize(encoder, samples.cols, samples.rows) >= 0 &&
         encoder->SetResolution(encoder, 96.0f, 96.0f) >= 0 &&
         encoder->WritePixels(encoder, static_cast<U32>(samples.rows), samples.data,
                              static_cast<U32>(samples.step)) >= 0;
    // Releasing the encoder closes (frees) the stream it was given.
    if (encoder != nullptr) encoder->Release(&encoder);
    factory->Release(&factory);
    return ok;
}
}  // namespace

int NuvJxrFile::write(const NuvRangeImage& image, const std::string& path, std::string* reason,
                      std::string* savedPath) {
    using Op = NUVMV::Nuv3DFileOperation;
    if (image.TypeCode() != NuvRangeImage::TypeUInt16) {
        *reason = "JPEG XR takes 16-bit range images only";
        return Op::ErrFormat;
    }
    Output out;
    if (!encode(image, &out)) {
        *reason = "the JPEG XR encoder failed";
        return Op::ErrUnavailable;
    }
    NuvFileWriter file(path);
    file.write(out.bytes.data(), out.bytes.size());
    return Op::closeFile(file, reason, savedPath);
}

#else

int NuvJxrFile::write(const NuvRangeImage&, const std::string&, std::string* reason, std::string*) {
    *reason = "JPEG XR is not available in this build (libjxr was not found)";
    return NUVMV::Nuv3DFileOperation::ErrUnavailable;
}

#endif
