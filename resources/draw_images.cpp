// Build-time host program: draws the installer's small images (the flag
// icons of the language list, the application icon and the banner bitmap)
// from the simple geometric descriptions in images.txt, and writes them as
// .ico and .bmp files for the resource compiler.
//
//   draw_images <images.txt> <output folder>
//
// A description starts with "icon <name> <width> <height>" or "bitmap <name>
// <width> <height>" and lists shapes painted in order, each with a colour
// RRGGBB; coordinates are in pixels from the top-left corner and may be
// fractional (pixels are supersampled, so edges are smooth):
//   rect x0 y0 x1 y1 C         filled rectangle
//   disc cx cy r C             filled circle
//   star cx cy r C             filled five-pointed star, one point up
//   poly C x y x y ...         filled polygon
//   line x0 y0 x1 y1 w C       straight band of width w
//   vgrad x0 y0 x1 y1 C1 C2    rectangle shaded from C1 (top) to C2 (bottom)
//   hgrad x0 y0 x1 y1 C1 C2    rectangle shaded from C1 (left) to C2 (right)
//   clear x0 y0 x1 y1          transparent rectangle (icons only)
// "#" starts a comment line.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Rgba {
    double r = 0, g = 0, b = 0, a = 0;
};

struct Image {
    std::string kind, name;
    int width = 0, height = 0;
    std::vector<Rgba> pixels;
};

Rgba Colour(const std::string& hex)
{
    const unsigned long v = std::stoul(hex, nullptr, 16);
    return {double((v >> 16) & 0xFF), double((v >> 8) & 0xFF), double(v & 0xFF), 255.0};
}

constexpr int kSamples = 4;  // per axis

// Paints every pixel by the fraction of its sub-samples inside the shape.
template <class Inside, class ColourAt>
void Paint(Image& image, Inside inside, ColourAt colourAt)
{
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            int hits = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx)
                    if (inside(x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples))
                        ++hits;
            if (hits == 0)
                continue;
            const double coverage = double(hits) / (kSamples * kSamples);
            const Rgba c = colourAt(x + 0.5, y + 0.5);
            Rgba& p = image.pixels[std::size_t(y) * image.width + x];
            const double a = coverage * c.a / 255.0;
            p.r = p.r * (1 - a) + c.r * a;
            p.g = p.g * (1 - a) + c.g * a;
            p.b = p.b * (1 - a) + c.b * a;
            p.a = p.a * (1 - a) + 255.0 * a;
        }
    }
}

bool InPolygon(const std::vector<double>& xy, double x, double y)
{
    bool in = false;
    const std::size_t n = xy.size() / 2;
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
        const double xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
            in = !in;
    }
    return in;
}

std::vector<double> StarPolygon(double cx, double cy, double r)
{
    std::vector<double> xy;
    const double pi = std::acos(-1.0);
    for (int i = 0; i < 10; ++i) {
        const double radius = i % 2 == 0 ? r : r * 0.382;
        const double angle = -pi / 2 + i * pi / 5;
        xy.push_back(cx + radius * std::cos(angle));
        xy.push_back(cy + radius * std::sin(angle));
    }
    return xy;
}

void Apply(Image& image, std::istringstream& in, const std::string& op)
{
    auto constant = [](Rgba c) { return [c](double, double) { return c; }; };
    if (op == "rect" || op == "clear") {
        double x0, y0, x1, y1;
        in >> x0 >> y0 >> x1 >> y1;
        if (op == "clear") {
            for (int y = 0; y < image.height; ++y)
                for (int x = 0; x < image.width; ++x)
                    if (x + 0.5 > x0 && x + 0.5 < x1 && y + 0.5 > y0 && y + 0.5 < y1)
                        image.pixels[std::size_t(y) * image.width + x] = Rgba {};
            return;
        }
        std::string c;
        in >> c;
        Paint(
            image, [&](double x, double y) { return x >= x0 && x < x1 && y >= y0 && y < y1; }, constant(Colour(c)));
    } else if (op == "vgrad" || op == "hgrad") {
        double x0, y0, x1, y1;
        std::string c1, c2;
        in >> x0 >> y0 >> x1 >> y1 >> c1 >> c2;
        const Rgba a = Colour(c1), b = Colour(c2);
        const bool vertical = op == "vgrad";
        Paint(
            image, [&](double x, double y) { return x >= x0 && x < x1 && y >= y0 && y < y1; },
            [&](double x, double y) {
                const double t = vertical ? (y - y0) / (y1 - y0) : (x - x0) / (x1 - x0);
                return Rgba {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, 255.0};
            });
    } else if (op == "disc") {
        double cx, cy, r;
        std::string c;
        in >> cx >> cy >> r >> c;
        Paint(
            image, [&](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; },
            constant(Colour(c)));
    } else if (op == "star") {
        double cx, cy, r;
        std::string c;
        in >> cx >> cy >> r >> c;
        const auto xy = StarPolygon(cx, cy, r);
        Paint(
            image, [&](double x, double y) { return InPolygon(xy, x, y); }, constant(Colour(c)));
    } else if (op == "poly") {
        std::string c;
        in >> c;
        std::vector<double> xy;
        for (double v; in >> v;)
            xy.push_back(v);
        Paint(
            image, [&](double x, double y) { return InPolygon(xy, x, y); }, constant(Colour(c)));
    } else if (op == "line") {
        double x0, y0, x1, y1, w;
        std::string c;
        in >> x0 >> y0 >> x1 >> y1 >> w >> c;
        const double dx = x1 - x0, dy = y1 - y0, length = std::sqrt(dx * dx + dy * dy);
        Paint(
            image,
            [&](double x, double y) {
                const double t = ((x - x0) * dx + (y - y0) * dy) / (length * length);
                if (t < 0 || t > 1)
                    return false;
                const double distance = std::fabs((x - x0) * dy - (y - y0) * dx) / length;
                return distance <= w / 2;
            },
            constant(Colour(c)));
    } else {
        throw std::runtime_error("unknown shape " + op);
    }
}

std::uint8_t Byte(double v)
{
    return std::uint8_t(std::lround(std::fmin(255.0, std::fmax(0.0, v))));
}

void Put16(std::string& out, unsigned v)
{
    out.push_back(char(v & 0xFF));
    out.push_back(char((v >> 8) & 0xFF));
}
void Put32(std::string& out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// BITMAPINFOHEADER for a DIB of `height` rows (doubled in an icon).
void PutInfoHeader(std::string& out, const Image& image, int bits, int rows, std::uint32_t imageSize)
{
    Put32(out, 40);
    Put32(out, std::uint32_t(image.width));
    Put32(out, std::uint32_t(rows));
    Put16(out, 1);
    Put16(out, unsigned(bits));
    Put32(out, 0);  // BI_RGB
    Put32(out, imageSize);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
}

std::string Icon(const Image& image)
{
    std::string dib;
    const int maskStride = ((image.width + 31) / 32) * 4;
    const std::uint32_t xorSize = std::uint32_t(image.width * image.height * 4);
    const std::uint32_t andSize = std::uint32_t(maskStride * image.height);
    PutInfoHeader(dib, image, 32, image.height * 2, xorSize + andSize);
    for (int y = image.height - 1; y >= 0; --y)
        for (int x = 0; x < image.width; ++x) {
            const Rgba& p = image.pixels[std::size_t(y) * image.width + x];
            const double a = p.a > 0 ? p.a / 255.0 : 1.0;
            // Colours are stored not premultiplied.
            dib.push_back(char(Byte(p.b / a)));
            dib.push_back(char(Byte(p.g / a)));
            dib.push_back(char(Byte(p.r / a)));
            dib.push_back(char(Byte(p.a)));
        }
    for (int y = image.height - 1; y >= 0; --y) {
        std::string row(std::size_t(maskStride), '\0');
        for (int x = 0; x < image.width; ++x)
            if (image.pixels[std::size_t(y) * image.width + x].a < 128)
                row[std::size_t(x / 8)] |= char(0x80 >> (x % 8));
        dib += row;
    }
    std::string ico;
    Put16(ico, 0);
    Put16(ico, 1);  // icon
    Put16(ico, 1);  // one image
    ico.push_back(char(image.width >= 256 ? 0 : image.width));
    ico.push_back(char(image.height >= 256 ? 0 : image.height));
    ico.push_back(0);
    ico.push_back(0);
    Put16(ico, 1);
    Put16(ico, 32);
    Put32(ico, std::uint32_t(dib.size()));
    Put32(ico, 6 + 16);
    return ico + dib;
}

std::string Bitmap(const Image& image)
{
    const int stride = ((image.width * 3 + 3) / 4) * 4;
    std::string dib;
    PutInfoHeader(dib, image, 24, image.height, std::uint32_t(stride * image.height));
    for (int y = image.height - 1; y >= 0; --y) {
        std::string row(std::size_t(stride), '\0');
        for (int x = 0; x < image.width; ++x) {
            const Rgba& p = image.pixels[std::size_t(y) * image.width + x];
            row[std::size_t(x * 3)] = char(Byte(p.b));
            row[std::size_t(x * 3 + 1)] = char(Byte(p.g));
            row[std::size_t(x * 3 + 2)] = char(Byte(p.r));
        }
        dib += row;
    }
    std::string bmp = "BM";
    Put32(bmp, std::uint32_t(14 + dib.size()));
    Put32(bmp, 0);
    Put32(bmp, 14 + 40);
    return bmp + dib;
}

void Write(const Image& image, const std::string& folder)
{
    const bool icon = image.kind == "icon";
    const std::string path = folder + "/" + image.name + (icon ? ".ico" : ".bmp");
    std::ofstream out(path, std::ios::binary);
    const std::string bytes = icon ? Icon(image) : Bitmap(image);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: draw_images <images.txt> <output folder>\n";
        return 2;
    }
    try {
        std::ifstream in(argv[1]);
        if (!in)
            throw std::runtime_error(std::string("cannot read ") + argv[1]);
        std::vector<Image> images;
        std::string line;
        int lineNumber = 0;
        while (std::getline(in, line)) {
            ++lineNumber;
            std::istringstream words(line);
            std::string op;
            if (!(words >> op) || op[0] == '#')
                continue;
            try {
                if (op == "icon" || op == "bitmap") {
                    Image image;
                    image.kind = op;
                    words >> image.name >> image.width >> image.height;
                    if (image.width <= 0 || image.height <= 0)
                        throw std::runtime_error("bad size");
                    image.pixels.assign(std::size_t(image.width * image.height), Rgba {});
                    images.push_back(std::move(image));
                } else {
                    if (images.empty())
                        throw std::runtime_error("shape before any image");
                    Apply(images.back(), words, op);
                }
            } catch (const std::exception& e) {
                throw std::runtime_error("line " + std::to_string(lineNumber) + ": " + e.what());
            }
        }
        for (const Image& image : images)
            Write(image, argv[2]);
    } catch (const std::exception& e) {
        std::cerr << "draw_images: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
