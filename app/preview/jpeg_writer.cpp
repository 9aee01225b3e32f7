#include "jpeg_writer.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <exception>
#include <string>

#include <jpeglib.h>
#include <jerror.h>

namespace {

const int cQuality = 90;
const std::size_t cFirstOutputSize = 64 * 1024;

// Everything the library's callbacks reach, found through client_data.
struct TCompression {
    jpeg_compress_struct Info;
    jpeg_error_mgr Errors;
    jpeg_destination_mgr Destination;
    std::jmp_buf Failure;
    int MessageNumber;
    std::exception_ptr Pending;  // a failure of our own met inside a callback
    std::vector<std::uint8_t>* Output;
};

TCompression& StateOf(j_common_ptr info) { return *static_cast<TCompression*>(info->client_data); }
TCompression& StateOf(j_compress_ptr info) { return *static_cast<TCompression*>(info->client_data); }

// Library errors go back to Compress, which hands them on as EJPEG. Nothing
// may be thrown through the library's C frames.
void ErrorExit(j_common_ptr info) {
    TCompression& state = StateOf(info);
    state.MessageNumber = info->err->msg_code;
    std::longjmp(state.Failure, 1);
}

// Warnings and trace messages are dropped.
void EmitMessage(j_common_ptr, int) {}
void OutputMessage(j_common_ptr) {}

// The destination is the output vector, grown as the library fills it.
bool GrowOutput(TCompression& state) noexcept {
    try {
        std::vector<std::uint8_t>& output = *state.Output;
        const std::size_t used = output.size();
        output.resize(used == 0 ? cFirstOutputSize : used * 2);
        state.Destination.next_output_byte = output.data() + used;
        state.Destination.free_in_buffer = output.size() - used;
        return true;
    } catch (...) {
        state.Pending = std::current_exception();
        return false;
    }
}

void InitDestination(j_compress_ptr info) {
    TCompression& state = StateOf(info);
    state.Output->clear();
    if (!GrowOutput(state)) ERREXIT(info, JERR_OUT_OF_MEMORY);
}

boolean EmptyOutputBuffer(j_compress_ptr info) {
    if (!GrowOutput(StateOf(info))) ERREXIT(info, JERR_OUT_OF_MEMORY);
    return TRUE;
}

void TermDestination(j_compress_ptr info) {
    TCompression& state = StateOf(info);
    state.Output->resize(state.Output->size() - state.Destination.free_in_buffer);
}

// Runs the library over all rows; false when it reported an error. The
// library's error exit returns here by longjmp, so no object with a
// destructor may live in this frame.
bool Compress(TCompression& state, const TBgrPixels& pixels) {
    if (setjmp(state.Failure) != 0) return false;
    jpeg_create_compress(&state.Info);
    state.Info.dest = &state.Destination;

    state.Info.image_width = static_cast<JDIMENSION>(pixels.Width);
    state.Info.image_height = static_cast<JDIMENSION>(pixels.Height);
    state.Info.input_components = 3;
    // The rows go in as they are: the library reads blue, green, red.
    state.Info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&state.Info);
    state.Info.dct_method = JDCT_FLOAT;
    jpeg_set_quality(&state.Info, cQuality, /*force_baseline=*/TRUE);

    jpeg_start_compress(&state.Info, /*write_all_tables=*/TRUE);
    while (state.Info.next_scanline < state.Info.image_height) {
        const std::uint8_t* row = pixels.Rows + static_cast<std::ptrdiff_t>(state.Info.next_scanline) * pixels.Stride;
        // The library only reads the rows; its interface is not const.
        JSAMPROW rows[1] = {const_cast<JSAMPROW>(row)};
        jpeg_write_scanlines(&state.Info, rows, 1);
    }
    jpeg_finish_compress(&state.Info);
    return true;
}

class TCompressionOwner {
public:
    explicit TCompressionOwner(std::vector<std::uint8_t>& output) : fState() {
        fState.Info.err = jpeg_std_error(&fState.Errors);
        fState.Errors.error_exit = ErrorExit;
        fState.Errors.emit_message = EmitMessage;
        fState.Errors.output_message = OutputMessage;
        fState.Info.client_data = &fState;
        fState.Destination.init_destination = InitDestination;
        fState.Destination.empty_output_buffer = EmptyOutputBuffer;
        fState.Destination.term_destination = TermDestination;
        fState.Output = &output;
    }
    // Safe in every state: before creation the library finds nothing to free.
    ~TCompressionOwner() { jpeg_destroy_compress(&fState.Info); }
    TCompressionOwner(const TCompressionOwner&) = delete;
    TCompressionOwner& operator=(const TCompressionOwner&) = delete;
    TCompression& State() noexcept { return fState; }

private:
    TCompression fState;
};

}  // namespace

EJPEG::EJPEG(int messageNumber)
    : Exception(L"JPEG-Fehler #" + std::to_wstring(messageNumber)), MessageNumber(messageNumber) {}

std::vector<std::uint8_t> EncodeJpeg(const TBgrPixels& pixels) {
    std::vector<std::uint8_t> output;
    if (pixels.Width <= 0 || pixels.Height <= 0) return output;
    TCompressionOwner compression(output);
    TCompression& state = compression.State();
    if (!Compress(state, pixels)) {
        if (state.Pending) std::rethrow_exception(state.Pending);
        throw EJPEG(state.MessageNumber);
    }
    return output;
}
