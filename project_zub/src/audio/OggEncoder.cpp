#include "audio/OggEncoder.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

namespace audio {

namespace {

// Fixed, so that the output does not change from one run to the next.
constexpr int kSerialNumber = 0x5A75B001;

void appendPage(const ogg_page& page, std::vector<uint8_t>& out) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

void fail(std::string* error, const char* text) {
    if (error) *error = text;
}

}  // namespace

bool encodeOggVorbis(const float* samples, int64_t frames, int channels, int rate, float quality,
                     std::vector<uint8_t>& out, std::string* error) {
    out.clear();
    if (channels < 1 || channels > 2 || rate < 1000 || frames < 0 || (frames > 0 && !samples)) {
        fail(error, "invalid parameters");
        return false;
    }
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, rate, std::clamp(quality, -0.1f, 1.0f)) != 0) {
        vorbis_info_clear(&info);
        fail(error, "the encoder does not support this channel count and rate");
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, kSerialNumber);

    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    ogg_page page;
    // The audio starts on a page of its own.
    while (ogg_stream_flush(&stream, &page) != 0) appendPage(page, out);

    constexpr int64_t kChunk = 4096;
    int64_t done = 0;
    bool ended = false;
    while (!ended) {
        const int64_t n = std::min(kChunk, frames - done);
        if (n > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
            for (int64_t i = 0; i < n; ++i)
                for (int c = 0; c < channels; ++c) buffer[c][i] = samples[(done + i) * channels + c];
            vorbis_analysis_wrote(&dsp, static_cast<int>(n));
            done += n;
        } else {
            vorbis_analysis_wrote(&dsp, 0);  // the end of the input
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    appendPage(page, out);
                    if (ogg_page_eos(&page)) ended = true;
                }
            }
        }
        if (n <= 0 && !ended) {
            while (ogg_stream_flush(&stream, &page) != 0) {
                appendPage(page, out);
                if (ogg_page_eos(&page)) ended = true;
            }
            ended = true;
        }
    }

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return true;
}

}  // namespace audio
