// Draws Velmora's two icons, the eye (at rest) and the stopwatch (busy), at
// every size from 16 to 48 pixels that Windows asks for between 100 % and
// 300 % scaling, in the 16-colour Windows palette, and writes
// each as an .ico file and as the raw RT_ICON images and RT_GROUP_ICON
// directory that res/velmora.rc embeds. The raw form exists because windres
// numbers the images of an ICON statement itself, and the images must carry
// fixed ids.
//
// Usage: draw_icons <output folder>
#include "shell/win32/resource_ids.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <numbers>
#include <span>
#include <string>
#include <vector>

namespace velmora::icons {
namespace {

// The standard 16-colour palette, in the order Windows expects it.
enum Colour : std::uint8_t {
  kBlack, kMaroon, kGreen, kOlive, kNavy, kPurple, kTeal, kSilver,
  kGrey, kRed, kLime, kYellow, kBlue, kFuchsia, kAqua, kWhite,
  kTransparent,
};

constexpr std::uint32_t kPaletteRgb[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

struct Point {
  double x;
  double y;
};

// A shape answers whether a point, in pixel units from the top-left corner,
// lies inside it. With no anti-aliasing possible in 16 colours, a pixel
// belongs to a shape exactly when its centre does.
using Shape = std::function<bool(Point)>;

Shape Disc(Point centre, double radius) {
  return [=](Point p) {
    return std::hypot(p.x - centre.x, p.y - centre.y) <= radius;
  };
}

Shape Rectangle(Point top_left, Point bottom_right) {
  return [=](Point p) {
    return p.x >= top_left.x && p.x <= bottom_right.x && p.y >= top_left.y &&
           p.y <= bottom_right.y;
  };
}

// A stroke of the given width along the segment from `from` to `to`, with
// square-cut ends.
Shape Stroke(Point from, Point to, double width) {
  return [=](Point p) {
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    const double length = std::hypot(dx, dy);
    const double along = ((p.x - from.x) * dx + (p.y - from.y) * dy) / length;
    const double across = ((p.x - from.x) * dy - (p.y - from.y) * dx) / length;
    return along >= 0 && along <= length && std::abs(across) <= width / 2;
  };
}

// The almond of an open eye: two circular arcs meeting at the corners.
Shape Almond(Point centre, double half_width, double half_height) {
  // The circle through both corners and the top (or bottom) of the lid.
  const double radius =
      (half_width * half_width + half_height * half_height) / (2 * half_height);
  const Shape upper_lid = Disc({centre.x, centre.y - half_height + radius}, radius);
  const Shape lower_lid = Disc({centre.x, centre.y + half_height - radius}, radius);
  return [=](Point p) { return upper_lid(p) && lower_lid(p); };
}

Shape Intersection(Shape a, Shape b) {
  return [=](Point p) { return a(p) && b(p); };
}

Shape Difference(Shape a, Shape b) {
  return [=](Point p) { return a(p) && !b(p); };
}

Shape Shifted(Shape shape, double dx, double dy) {
  return [=](Point p) { return shape({p.x - dx, p.y - dy}); };
}

// The point at `radius` from `centre` in the direction of the clock hour
// `hour` (0 is straight up, fractions allowed).
Point OnDial(Point centre, double radius, double hour) {
  const double angle = hour * std::numbers::pi / 6;
  return {centre.x + radius * std::sin(angle), centre.y - radius * std::cos(angle)};
}

class Canvas {
 public:
  explicit Canvas(int size)
      : size_(size), pixels_(static_cast<std::size_t>(size * size), kTransparent) {}

  int size() const { return size_; }
  Colour at(int x, int y) const { return pixels_[Index(x, y)]; }

  void Fill(const Shape& shape, Colour colour) {
    ForEachPixel([&](int x, int y) {
      if (Contains(shape, x, y)) pixels_[Index(x, y)] = colour;
    });
  }

  // Paints the pixels of `shape` that touch its outside along a side: a
  // one-pixel contour without the doubled corners of an 8-neighbour test.
  void FillEdge(const Shape& shape, Colour colour) {
    ForEachPixel([&](int x, int y) {
      if (Contains(shape, x, y) &&
          (!Contains(shape, x - 1, y) || !Contains(shape, x + 1, y) ||
           !Contains(shape, x, y - 1) || !Contains(shape, x, y + 1))) {
        pixels_[Index(x, y)] = colour;
      }
    });
  }

 private:
  static bool Contains(const Shape& shape, int x, int y) {
    return shape({x + 0.5, y + 0.5});
  }

  std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y * size_ + x); }

  void ForEachPixel(const std::function<void(int, int)>& visit) const {
    for (int y = 0; y < size_; ++y) {
      for (int x = 0; x < size_; ++x) visit(x, y);
    }
  }

  int size_;
  std::vector<Colour> pixels_;
};

// The eye's proportions at one size, in pixels.
struct EyeDesign {
  int size;
  Point centre;
  double half_width;
  double half_height;
  double iris_radius;
  double pupil_radius;
  Point glint;
  double glint_radius;
  double lid_thickness;
};

Canvas DrawEye(const EyeDesign& d) {
  Canvas canvas(d.size);
  const Shape almond = Almond(d.centre, d.half_width, d.half_height);
  const Shape iris = Intersection(almond, Disc(d.centre, d.iris_radius));
  canvas.Fill(almond, kWhite);
  canvas.Fill(iris, kBlue);
  canvas.FillEdge(iris, kNavy);
  canvas.Fill(Disc(d.centre, d.pupil_radius), kBlack);
  canvas.Fill(Disc(d.glint, d.glint_radius), kWhite);
  canvas.FillEdge(almond, kBlack);
  // A heavier upper lid gives the eye its direction, even at 16 pixels.
  canvas.Fill(Difference(almond, Shifted(almond, 0, d.lid_thickness)), kBlack);
  return canvas;
}

// The stopwatch's proportions at one size, in pixels.
struct StopwatchDesign {
  int size;
  Point centre;
  double case_radius;
  double face_radius;
  Point crown_top_left;
  Point crown_bottom_right;
  Point stem_top_left;
  Point stem_bottom_right;
  int hours_between_marks;  // 3 keeps only the quarters, where pixels are few
  double mark_outer_radius;
  double mark_inner_radius;
  double quarter_mark_inner_radius;
  double mark_width;
  double hand_length;
  double hand_hour;
  double hub_radius;
};

Canvas DrawStopwatch(const StopwatchDesign& d) {
  Canvas canvas(d.size);
  for (const Shape& part : {Rectangle(d.crown_top_left, d.crown_bottom_right),
                            Rectangle(d.stem_top_left, d.stem_bottom_right),
                            Disc(d.centre, d.case_radius)}) {
    canvas.Fill(part, kSilver);
    canvas.FillEdge(part, kBlack);
  }
  canvas.Fill(Disc(d.centre, d.face_radius), kWhite);
  for (int hour = 0; hour < 12; hour += d.hours_between_marks) {
    const double inner = hour % 3 == 0 ? d.quarter_mark_inner_radius : d.mark_inner_radius;
    canvas.Fill(Stroke(OnDial(d.centre, inner, hour), OnDial(d.centre, d.mark_outer_radius, hour),
                       d.mark_width),
                kRed);
  }
  canvas.Fill(Stroke(d.centre, OnDial(d.centre, d.hand_length, d.hand_hour), d.mark_width),
              kBlack);
  canvas.Fill(Disc(d.centre, d.hub_radius), kBlack);
  return canvas;
}

// Little-endian writer for the Windows structures.
class Bytes {
 public:
  void U8(std::uint8_t value) { data_.push_back(value); }
  void U16(std::uint16_t value) {
    U8(static_cast<std::uint8_t>(value));
    U8(static_cast<std::uint8_t>(value >> 8));
  }
  void U32(std::uint32_t value) {
    U16(static_cast<std::uint16_t>(value));
    U16(static_cast<std::uint16_t>(value >> 16));
  }
  void Append(const std::vector<std::uint8_t>& more) {
    data_.insert(data_.end(), more.begin(), more.end());
  }
  const std::vector<std::uint8_t>& data() const { return data_; }

 private:
  std::vector<std::uint8_t> data_;
};

constexpr std::uint16_t kBitsPerPixel = 4;
constexpr std::uint8_t kColourCount = 16;

// Bitmap rows are padded to whole 32-bit words.
std::uint32_t RowBytes(int width, int bits_per_pixel) {
  return static_cast<std::uint32_t>((width * bits_per_pixel + 31) / 32 * 4);
}

// One icon image as RT_ICON and .ico files hold it: a BITMAPINFOHEADER of
// double height, the palette, the colour bits and the transparency mask, both
// bottom-up. Transparent pixels are black in the colour bits and set in the
// mask, so that the screen shows through unchanged.
std::vector<std::uint8_t> EncodeImage(const Canvas& canvas) {
  const int size = canvas.size();
  const std::uint32_t colour_row = RowBytes(size, kBitsPerPixel);
  const std::uint32_t mask_row = RowBytes(size, 1);
  const auto height = static_cast<std::uint32_t>(size);
  Bytes out;
  out.U32(40);
  out.U32(static_cast<std::uint32_t>(size));
  out.U32(2 * height);
  out.U16(1);
  out.U16(kBitsPerPixel);
  out.U32(0);  // BI_RGB
  out.U32((colour_row + mask_row) * height);
  for (int unused = 0; unused < 4; ++unused) out.U32(0);  // resolution, colour counts
  for (std::uint32_t rgb : kPaletteRgb) out.U32(rgb);  // RGBQUAD is B, G, R, 0 in memory
  for (int y = size - 1; y >= 0; --y) {
    for (int x = 0; x < size; x += 2) {
      const auto opaque = [&](int px) {
        const Colour colour = canvas.at(px, y);
        return colour == kTransparent ? 0 : static_cast<int>(colour);
      };
      out.U8(static_cast<std::uint8_t>(opaque(x) << 4 | opaque(x + 1)));
    }
    for (std::uint32_t pad = static_cast<std::uint32_t>(size) / 2; pad < colour_row; ++pad) out.U8(0);
  }
  for (int y = size - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(mask_row, 0);
    for (int x = 0; x < size; ++x) {
      std::uint8_t& bits = row[static_cast<std::size_t>(x / 8)];
      if (canvas.at(x, y) == kTransparent) bits = static_cast<std::uint8_t>(bits | 0x80 >> (x % 8));
    }
    out.Append(row);
  }
  return out.data();
}

struct IconImage {
  Canvas canvas;
  int resource_id;
  std::vector<std::uint8_t> bytes = EncodeImage(canvas);
};

// The fields that ICONDIRENTRY (in .ico files) and GRPICONDIRENTRY (in
// RT_GROUP_ICON) share; they differ only in the last field.
void WriteEntryHead(Bytes& out, const IconImage& image) {
  out.U8(static_cast<std::uint8_t>(image.canvas.size()));
  out.U8(static_cast<std::uint8_t>(image.canvas.size()));
  out.U8(kColourCount);
  out.U8(0);
  out.U16(1);  // planes
  out.U16(kBitsPerPixel);
  out.U32(static_cast<std::uint32_t>(image.bytes.size()));
}

void WriteDirectoryHead(Bytes& out, const std::vector<IconImage>& images) {
  out.U16(0);
  out.U16(1);  // icon, not cursor
  out.U16(static_cast<std::uint16_t>(images.size()));
}

std::vector<std::uint8_t> EncodeIcoFile(const std::vector<IconImage>& images) {
  constexpr std::uint32_t kHeadBytes = 6;
  constexpr std::uint32_t kEntryBytes = 16;
  Bytes out;
  WriteDirectoryHead(out, images);
  auto offset = static_cast<std::uint32_t>(kHeadBytes + kEntryBytes * images.size());
  for (const IconImage& image : images) {
    WriteEntryHead(out, image);
    out.U32(offset);
    offset += static_cast<std::uint32_t>(image.bytes.size());
  }
  for (const IconImage& image : images) out.Append(image.bytes);
  return out.data();
}

std::vector<std::uint8_t> EncodeGroup(const std::vector<IconImage>& images) {
  Bytes out;
  WriteDirectoryHead(out, images);
  for (const IconImage& image : images) {
    WriteEntryHead(out, image);
    out.U16(static_cast<std::uint16_t>(image.resource_id));
  }
  return out.data();
}

bool WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) std::cerr << "draw_icons: cannot write " << path << '\n';
  return static_cast<bool>(file);
}

// Writes <name>.ico, and <name>_<size>.rticon for each image and
// <name>.rtgroup for the directory, the raw resources.
bool WriteIcon(const std::filesystem::path& folder, const std::string& name,
               const std::vector<IconImage>& images) {
  bool ok = WriteFile(folder / (name + ".ico"), EncodeIcoFile(images));
  ok = WriteFile(folder / (name + ".rtgroup"), EncodeGroup(images)) && ok;
  for (const IconImage& image : images) {
    const std::string size = std::to_string(image.canvas.size());
    ok = WriteFile(folder / (name + "_" + size + ".rticon"), image.bytes) && ok;
  }
  return ok;
}

constexpr EyeDesign kEye32{
    .size = 32, .centre = {16, 16}, .half_width = 15.5, .half_height = 9.5,
    .iris_radius = 8.2, .pupil_radius = 3.5, .glint = {13, 13}, .glint_radius = 1.2,
    .lid_thickness = 2};
constexpr EyeDesign kEye16{
    .size = 16, .centre = {8, 8}, .half_width = 8, .half_height = 5.5,
    .iris_radius = 4, .pupil_radius = 1.5, .glint = {6.5, 6.5}, .glint_radius = 0.5,
    .lid_thickness = 1};

constexpr StopwatchDesign kStopwatch32{
    .size = 32, .centre = {15.5, 18.5}, .case_radius = 13.5, .face_radius = 11.2,
    .crown_top_left = {11, 0}, .crown_bottom_right = {20, 3},
    .stem_top_left = {13, 2}, .stem_bottom_right = {18, 6}, .hours_between_marks = 1,
    .mark_outer_radius = 10.2, .mark_inner_radius = 8.2, .quarter_mark_inner_radius = 7,
    .mark_width = 1.2, .hand_length = 8.5, .hand_hour = 1.5, .hub_radius = 1.5};
constexpr StopwatchDesign kStopwatch16{
    .size = 16, .centre = {7.5, 9.5}, .case_radius = 6.6, .face_radius = 5.2,
    .crown_top_left = {5, 0}, .crown_bottom_right = {10, 2.5},
    .stem_top_left = {6, 2}, .stem_bottom_right = {9, 3}, .hours_between_marks = 3,
    .mark_outer_radius = 4.8, .mark_inner_radius = 4.0, .quarter_mark_inner_radius = 2.9,
    .mark_width = 1, .hand_length = 3.5, .hand_hour = 1.5, .hub_radius = 0.7};

// Pixel centres lie at half-pixel offsets: a design centred on the middle
// of a pixel stays symmetrical about it.
double PixelCentre(double at) { return std::floor(at) + 0.5; }

// The 32-pixel eye scaled to another size; the 16-pixel one is drawn by hand.
EyeDesign ScaledEye(int size) {
  const double k = size / 32.0;
  const double middle = size / 2.0;
  return {.size = size, .centre = {middle, middle}, .half_width = kEye32.half_width * k,
          .half_height = kEye32.half_height * k, .iris_radius = kEye32.iris_radius * k,
          .pupil_radius = kEye32.pupil_radius * k,
          .glint = {kEye32.glint.x * k, kEye32.glint.y * k},
          .glint_radius = std::max(0.6, kEye32.glint_radius * k),
          .lid_thickness = std::max(1.0, std::round(kEye32.lid_thickness * k))};
}

// The 32-pixel stopwatch scaled to another size. Below 24 pixels only the
// quarter marks keep room to show. The strokes stay one pixel wide: a wider
// stroke about a pixel's centre covers three, and slanted ones break into
// stairs.
StopwatchDesign ScaledStopwatch(int size) {
  const double k = size / 32.0;
  const StopwatchDesign& d = kStopwatch32;
  const double x = PixelCentre(d.centre.x * k);
  const double half_crown = std::round((d.crown_bottom_right.x - d.crown_top_left.x) * k) / 2;
  const double half_stem = std::round((d.stem_bottom_right.x - d.stem_top_left.x) * k) / 2;
  return {.size = size, .centre = {x, PixelCentre(d.centre.y * k)},
          .case_radius = d.case_radius * k, .face_radius = d.face_radius * k,
          .crown_top_left = {x + 0.5 - half_crown, 0},
          .crown_bottom_right = {x - 0.5 + half_crown, d.crown_bottom_right.y * k},
          .stem_top_left = {x + 0.5 - half_stem, d.stem_top_left.y * k},
          .stem_bottom_right = {x - 0.5 + half_stem, d.stem_bottom_right.y * k},
          .hours_between_marks = size < 24 ? 3 : 1,
          .mark_outer_radius = d.mark_outer_radius * k,
          .mark_inner_radius = d.mark_inner_radius * k,
          .quarter_mark_inner_radius = d.quarter_mark_inner_radius * k,
          .mark_width = d.mark_width, .hand_length = d.hand_length * k,
          .hand_hour = d.hand_hour, .hub_radius = d.hub_radius * k};
}

// Each image of an icon, drawn by hand at 16 and 32 pixels and scaled from
// the 32-pixel design at the other sizes.
template <typename Design>
std::vector<IconImage> DrawImages(std::span<const velmora::IconImageId> ids, const Design& small,
                                  const Design& large, Design (*scale)(int),
                                  Canvas (*draw)(const Design&)) {
  std::vector<IconImage> images;
  for (const velmora::IconImageId& image : ids) {
    const Design design =
        image.size == small.size ? small : image.size == large.size ? large : scale(image.size);
    images.push_back({draw(design), image.id});
  }
  return images;
}

}  // namespace
}  // namespace velmora::icons

int main(int argc, char** argv) {
  using namespace velmora::icons;
  if (argc != 2) {
    std::cerr << "usage: draw_icons <output folder>\n";
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  const bool eye_written = WriteIcon(
      folder, "eye", DrawImages(velmora::kEyeImages, kEye16, kEye32, &ScaledEye, &DrawEye));
  const bool stopwatch_written =
      WriteIcon(folder, "stopwatch", DrawImages(velmora::kBusyImages, kStopwatch16, kStopwatch32,
                                                &ScaledStopwatch, &DrawStopwatch));
  return eye_written && stopwatch_written ? 0 : 1;
}
