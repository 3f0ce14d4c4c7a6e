// Reading the PNG pictures that the programs' renderers produce, so that the
// tests can check what the picture shows: 8-bit RGB, RGBA, grey or
// grey+alpha, or palette images, not interlaced, decoded with zlib.
#pragma once

#include <zlib.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace cones::testing_support {

struct Rgb {
    int r = 0, g = 0, b = 0;
    int luminance() const { return (299 * r + 587 * g + 114 * b) / 1000; }
};

class PngImage {
public:
    // Decodes the PNG file content `bytes`; throws std::runtime_error for
    // anything it does not read.
    explicit PngImage(const std::string& bytes) {
        static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
        if (bytes.size() < 8 || bytes.compare(0, 8, reinterpret_cast<const char*>(kSignature), 8) != 0) {
            throw std::runtime_error("not a PNG file");
        }
        std::string compressed;
        std::vector<std::array<int, 3>> palette;
        int bit_depth = 0, interlace = 0;
        for (std::size_t pos = 8; pos + 12 <= bytes.size();) {
            const std::size_t length = be32(bytes, pos);
            const std::string type = bytes.substr(pos + 4, 4);
            if (pos + 12 + length > bytes.size()) throw std::runtime_error("truncated PNG chunk " + type);
            const std::string data = bytes.substr(pos + 8, length);
            if (type == "IHDR") {
                width_ = static_cast<int>(be32(data, 0));
                height_ = static_cast<int>(be32(data, 4));
                bit_depth = static_cast<unsigned char>(data[8]);
                colour_type_ = static_cast<unsigned char>(data[9]);
                interlace = static_cast<unsigned char>(data[12]);
            } else if (type == "PLTE") {
                for (std::size_t i = 0; i + 2 < data.size(); i += 3) {
                    palette.push_back({byte(data, i), byte(data, i + 1), byte(data, i + 2)});
                }
            } else if (type == "IDAT") {
                compressed += data;
            } else if (type == "IEND") {
                break;
            }
            pos += 12 + length;
        }
        if (bit_depth != 8 || interlace != 0) throw std::runtime_error("only 8-bit, non-interlaced PNG is read");
        const int channels = colour_type_ == 2 ? 3 : colour_type_ == 6 ? 4 : colour_type_ == 0 ? 1
                           : colour_type_ == 4 ? 2 : colour_type_ == 3 ? 1 : 0;
        if (channels == 0) throw std::runtime_error("unknown PNG colour type");
        const std::size_t stride = static_cast<std::size_t>(width_) * channels;
        std::vector<unsigned char> raw((stride + 1) * static_cast<std::size_t>(height_));
        uLongf raw_size = raw.size();
        if (uncompress(raw.data(), &raw_size, reinterpret_cast<const Bytef*>(compressed.data()), compressed.size()) !=
                Z_OK ||
            raw_size != raw.size()) {
            throw std::runtime_error("PNG image data does not inflate to its size");
        }
        pixels_.resize(static_cast<std::size_t>(width_) * height_);
        std::vector<unsigned char> previous(stride, 0), current(stride);
        for (int y = 0; y < height_; ++y) {
            const unsigned char* row = raw.data() + static_cast<std::size_t>(y) * (stride + 1);
            unfilter(row[0], row + 1, previous.data(), current.data(), stride, static_cast<std::size_t>(channels));
            for (int x = 0; x < width_; ++x) {
                const unsigned char* p = current.data() + static_cast<std::size_t>(x) * channels;
                Rgb& out = pixels_[static_cast<std::size_t>(y) * width_ + x];
                if (colour_type_ == 3) {
                    const auto& entry = palette.at(p[0]);
                    out = {entry[0], entry[1], entry[2]};
                } else if (channels >= 3) {
                    out = {p[0], p[1], p[2]};
                } else {
                    out = {p[0], p[0], p[0]};
                }
                // Composite a transparent pixel over white, as a viewer shows it.
                if (channels == 4 || channels == 2) {
                    const int alpha = p[channels - 1];
                    out.r = (out.r * alpha + 255 * (255 - alpha)) / 255;
                    out.g = (out.g * alpha + 255 * (255 - alpha)) / 255;
                    out.b = (out.b * alpha + 255 * (255 - alpha)) / 255;
                }
            }
            previous.swap(current);
        }
    }

    int width() const { return width_; }
    int height() const { return height_; }
    Rgb at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) throw std::out_of_range("pixel outside the picture");
        return pixels_[static_cast<std::size_t>(y) * width_ + x];
    }

private:
    static int byte(const std::string& s, std::size_t i) { return static_cast<unsigned char>(s[i]); }
    static std::size_t be32(const std::string& s, std::size_t i) {
        return (static_cast<std::size_t>(byte(s, i)) << 24) | (static_cast<std::size_t>(byte(s, i + 1)) << 16) |
               (static_cast<std::size_t>(byte(s, i + 2)) << 8) | static_cast<std::size_t>(byte(s, i + 3));
    }

    // Reverses the PNG row filter `type` into `out`.
    static void unfilter(int type, const unsigned char* in, const unsigned char* above, unsigned char* out,
                         std::size_t stride, std::size_t bpp) {
        for (std::size_t i = 0; i < stride; ++i) {
            const int a = i >= bpp ? out[i - bpp] : 0;
            const int b = above[i];
            const int c = i >= bpp ? above[i - bpp] : 0;
            int predictor = 0;
            switch (type) {
                case 0: predictor = 0; break;
                case 1: predictor = a; break;
                case 2: predictor = b; break;
                case 3: predictor = (a + b) / 2; break;
                case 4: {
                    const int p = a + b - c;
                    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
                    predictor = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
                    break;
                }
                default: throw std::runtime_error("unknown PNG filter");
            }
            out[i] = static_cast<unsigned char>(in[i] + predictor);
        }
    }

    int width_ = 0, height_ = 0, colour_type_ = 0;
    std::vector<Rgb> pixels_;
};

}  // namespace cones::testing_support
