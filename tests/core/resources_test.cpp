// The generated resources as the program loads them: the alert sound's format and length,
// the button strips' geometry and colours, the icon's two images.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

// The source folder comes from the build: the Windows build maps it out of __FILE__, so that
// its programs carry no folder of the build machine.
std::string Resource(const std::string& name) {
  std::ifstream in(std::string(TAVIK_SOURCE_DIR) + "/resources/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

unsigned U16(const std::string& b, std::size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}
std::uint32_t U32(const std::string& b, std::size_t at) {
  return U16(b, at) | U16(b, at + 2) << 16;
}

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// Pixel of a bottom-up 24-bit BMP, row 0 at the top.
Rgb Pixel(const std::string& bmp, int x, int y) {
  const int w = static_cast<int>(U32(bmp, 18)), h = static_cast<int>(U32(bmp, 22));
  const std::size_t at =
      U32(bmp, 10) + static_cast<std::size_t>(h - 1 - y) * ((w * 3 + 3) & ~3) + x * 3;
  return {static_cast<unsigned char>(bmp[at + 2]), static_cast<unsigned char>(bmp[at + 1]),
          static_cast<unsigned char>(bmp[at])};
}

TEST(Resources, AlertSoundIsTheLoopTheyExpect) {
  const std::string wav = Resource("beep.wav");
  ASSERT_EQ(wav.size(), 44u + 209246u);
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(U32(wav, 4), wav.size() - 8);
  EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(U16(wav, 20), 1u);  // PCM
  EXPECT_EQ(U16(wav, 22), 1u);  // mono
  EXPECT_EQ(U32(wav, 24), 44100u);
  EXPECT_EQ(U16(wav, 34), 16u);
  EXPECT_EQ(wav.substr(36, 4), "data");
  EXPECT_EQ(U32(wav, 40), 209246u);

  const std::size_t n = (wav.size() - 44) / 2;
  int peak = 0, atPeak = 0, lastSound = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const int s = static_cast<std::int16_t>(U16(wav, 44 + 2 * i));
    if (std::abs(s) > peak) peak = std::abs(s);
    if (s != 0) lastSound = static_cast<int>(i);
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (std::abs(static_cast<std::int16_t>(U16(wav, 44 + 2 * i))) > peak * 9 / 10) ++atPeak;
  }
  EXPECT_NEAR(20 * std::log10(peak / 32768.0), -3.0, 0.5);
  EXPECT_LT(atPeak, static_cast<int>(n) / 100);            // a decaying tone, not a square wave
  EXPECT_EQ(U16(wav, 44), 0u);                             // starts from silence ...
  EXPECT_LT(lastSound, static_cast<int>(n) - 44100 / 20);  // ... and ends in it: no click
}

TEST(Resources, ButtonStrips) {
  const Rgb background{165, 55, 55};
  struct Row {
    const char* file;
    int left, top, right, bottom;  // the glyph's box within a frame
  };
  const Row rows[] = {{"btn_mini.bmp", 8, 13, 18, 15}, {"btn_exit.bmp", 8, 5, 18, 15}};
  for (const Row& r : rows) {
    const std::string bmp = Resource(r.file);
    ASSERT_GT(bmp.size(), 54u) << r.file;
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(U32(bmp, 18), 81u);
    EXPECT_EQ(U32(bmp, 22), 21u);
    EXPECT_EQ(U16(bmp, 28), 24u);
    ASSERT_EQ(bmp.size(), U32(bmp, 10) + 21u * 244u) << r.file;
    int glyph = 0;
    for (int y = 0; y < 21; ++y) {
      for (int x = 0; x < 27; ++x) {
        const Rgb p = Pixel(bmp, x, y);
        EXPECT_TRUE(Pixel(bmp, 27 + x, y) == p) << r.file << " hover differs at " << x << "," << y;
        const bool inBox = x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
        if (p == background) continue;
        EXPECT_TRUE(inBox) << r.file << " glyph outside its box at " << x << "," << y;
        EXPECT_TRUE(p.r >= 240 && p.g >= 240 && p.b >= 240) << r.file << " " << x << "," << y;
        const Rgb pressed = Pixel(bmp, 54 + x, y);
        EXPECT_TRUE(pressed == (Rgb{237, 209, 204})) << r.file << " " << x << "," << y;
        ++glyph;
      }
    }
    // The glyph reaches every corner of its box (the bar fills it).
    for (int x : {r.left, r.right}) {
      for (int y : {r.top, r.bottom}) EXPECT_FALSE(Pixel(bmp, x, y) == background) << r.file;
    }
    EXPECT_GT(glyph, 30) << r.file;
  }
}

// The strips and the close mark drawn for 150 and 200 %: 8-bit pictures of the size the
// program expects, the hover frame the normal one, the glyph white and dimmed when pressed.
TEST(Resources, LargerPictures) {
  struct Row {
    const char* file;
    unsigned width, height;
    bool strip;
  };
  const Row rows[] = {{"btn_mini_150.bmp", 123, 32, true}, {"btn_exit_150.bmp", 123, 32, true},
                      {"btn_mini_200.bmp", 162, 42, true}, {"btn_exit_200.bmp", 162, 42, true},
                      {"msg_close_150.bmp", 33, 33, false}, {"msg_close_200.bmp", 44, 44, false}};
  for (const Row& r : rows) {
    const std::string bmp = Resource(r.file);
    ASSERT_GT(bmp.size(), 54u) << r.file;
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    ASSERT_EQ(U32(bmp, 18), r.width) << r.file;
    ASSERT_EQ(U32(bmp, 22), r.height) << r.file;
    ASSERT_EQ(U16(bmp, 28), 8u) << r.file;
    const std::uint32_t colours = U32(bmp, 46);
    ASSERT_GE(colours, 2u);
    ASSERT_LE(colours, 256u);
    const std::size_t stride = (r.width + 3) & ~3u;
    ASSERT_EQ(bmp.size(), U32(bmp, 10) + r.height * stride) << r.file;
    const auto pixel = [&](unsigned x, unsigned y) {
      const unsigned index = static_cast<unsigned char>(bmp[U32(bmp, 10) + (r.height - 1 - y) * stride + x]);
      EXPECT_LT(index, colours);
      const std::size_t at = 14 + 40 + 4 * index;
      return Rgb{static_cast<unsigned char>(bmp[at + 2]), static_cast<unsigned char>(bmp[at + 1]),
                 static_cast<unsigned char>(bmp[at])};
    };
    const Rgb back = pixel(0, 0);
    EXPECT_TRUE(back == (r.strip ? Rgb{165, 55, 55} : Rgb{255, 245, 185})) << r.file;
    const unsigned fw = r.strip ? r.width / 3 : r.width;
    int glyph = 0, brightest = 0;
    for (unsigned y = 0; y < r.height; ++y) {
      for (unsigned x = 0; x < fw; ++x) {
        const Rgb p = pixel(x, y);
        if (r.strip) {
          EXPECT_TRUE(pixel(fw + x, y) == p) << r.file << " hover differs at " << x << "," << y;
        }
        if (p == back) continue;
        ++glyph;
        brightest = std::max(brightest, p.r + p.g + p.b);
        if (r.strip && p == (Rgb{250, 250, 250})) {
          EXPECT_TRUE(pixel(2 * fw + x, y) == (Rgb{237, 209, 204}));
        }
        // Nothing at the frame's edges: the glyph sits in the middle, as at 100 %.
        EXPECT_TRUE(x > fw / 5 && x < fw - fw / 5 && y > r.height / 5) << r.file << " " << x << "," << y;
      }
    }
    EXPECT_GT(glyph, static_cast<int>(r.height)) << r.file;
    if (r.strip) {
      EXPECT_EQ(brightest, 750) << r.file;
    }
  }
}

TEST(Resources, IconHasEverySizeWithMasks) {
  const std::string ico = Resource("tavik.ico");
  ASSERT_GT(ico.size(), 38u);
  EXPECT_EQ(U16(ico, 0), 0u);
  EXPECT_EQ(U16(ico, 2), 1u);
  // The small icon at 100, 150 and 200 % (16, 24, 32), the large one at 150 and 200 %.
  const unsigned sizes[] = {16, 24, 32, 48, 64};
  ASSERT_EQ(U16(ico, 4), 5u);
  for (int i = 0; i < 5; ++i) {
    const std::size_t entry = 6 + 16 * i;
    const unsigned size = static_cast<unsigned char>(ico[entry]);
    EXPECT_EQ(size, sizes[i]);
    EXPECT_EQ(U16(ico, entry + 6), 32u);  // bits per pixel
    const std::uint32_t bytes = U32(ico, entry + 8), at = U32(ico, entry + 12);
    ASSERT_LE(at + bytes, ico.size());
    if (size >= 48) {  // kept as PNG: its signature and its size
      EXPECT_EQ(ico.substr(at, 8), std::string("\x89PNG\r\n\x1a\n", 8));
      EXPECT_EQ(ico.substr(at + 12, 4), "IHDR");
      EXPECT_EQ(U32(ico, at + 16), size << 24);  // big-endian width: only its top byte is set
      continue;
    }
    const unsigned maskStride = (size + 31) / 32 * 4;
    EXPECT_EQ(bytes, 40 + size * size * 4 + size * maskStride);  // header, BGRA, 1-bit mask
    EXPECT_EQ(U32(ico, at + 8), 2 * size);
    // Transparent pixels, and only those, are set in the mask.
    int red = 0, white = 0;
    for (unsigned y = 0; y < size; ++y) {
      for (unsigned x = 0; x < size; ++x) {
        const std::size_t px = at + 40 + (y * size + x) * 4;
        const Rgb c{static_cast<unsigned char>(ico[px + 2]),
                    static_cast<unsigned char>(ico[px + 1]), static_cast<unsigned char>(ico[px])};
        const bool clear = ico[px + 3] == 0;
        const bool masked =
            (ico[at + 40 + size * size * 4 + y * maskStride + x / 8] & (0x80 >> (x % 8))) != 0;
        EXPECT_EQ(masked, clear) << size << ": " << x << "," << y;
        red += c == (Rgb{165, 55, 55});
        white += c == (Rgb{255, 255, 255});
      }
    }
    EXPECT_GT(red, static_cast<int>(size));
    EXPECT_GT(white, static_cast<int>(size));
  }
}

}  // namespace
