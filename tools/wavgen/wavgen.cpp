// Makes the short reminder sounds that Orlinda ships in its media folder: sine chimes
// written as PCM WAV files, the same bytes on every build.
//   orlinda-wavgen OUTPUT_FOLDER
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;

struct Partial {
    double ratio;   // frequency relative to the note
    double level;   // amplitude relative to the note
    double decay;   // extra decay per second
};

struct Note {
    double start;      // seconds
    double frequency;  // Hz
    double length;     // seconds
    double decay;      // amplitude decay per second
    std::vector<Partial> partials;
};

struct Sound {
    const char* name;
    int rate;
    int bits;          // 8 or 16
    double length;     // seconds
    double gain;
    std::vector<Note> notes;
};

// Mixes the notes; each starts with a 5 ms attack and fades out over its last 30 ms so
// that nothing clicks.
std::vector<double> Render(const Sound& s)
{
    std::vector<double> out(static_cast<size_t>(s.length * s.rate), 0.0);
    for (const Note& n : s.notes) {
        size_t first = static_cast<size_t>(n.start * s.rate);
        size_t count = static_cast<size_t>(n.length * s.rate);
        for (size_t i = 0; i < count && first + i < out.size(); ++i) {
            double t = static_cast<double>(i) / s.rate;
            double envelope = std::exp(-n.decay * t);
            envelope *= std::min(1.0, t / 0.005);
            envelope *= std::min(1.0, (n.length - t) / 0.03);
            double v = std::sin(2 * Pi * n.frequency * t);
            for (const Partial& p : n.partials)
                v += p.level * std::exp(-p.decay * t) * std::sin(2 * Pi * n.frequency * p.ratio * t);
            out[first + i] += envelope * v;
        }
    }
    double peak = 0;
    for (double v : out)
        peak = std::max(peak, std::fabs(v));
    if (peak > 0)
        for (double& v : out)
            v *= s.gain / peak;
    return out;
}

void Put16(std::string& b, unsigned v)
{
    b += static_cast<char>(v & 0xFF);
    b += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& b, uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

std::string Wav(const Sound& s, const std::vector<double>& samples)
{
    const unsigned bytesPerSample = s.bits / 8;
    std::string data;
    for (double v : samples) {
        if (s.bits == 8) {
            data += static_cast<char>(static_cast<uint8_t>(std::lround(128 + v * 127)));
        } else {
            auto x = static_cast<int16_t>(std::lround(v * 32767));
            Put16(data, static_cast<uint16_t>(x));
        }
    }
    std::string b = "RIFF";
    Put32(b, static_cast<uint32_t>(36 + data.size()));
    b += "WAVEfmt ";
    Put32(b, 16);
    Put16(b, 1);  // PCM
    Put16(b, 1);  // mono
    Put32(b, static_cast<uint32_t>(s.rate));
    Put32(b, static_cast<uint32_t>(s.rate) * bytesPerSample);
    Put16(b, bytesPerSample);
    Put16(b, static_cast<unsigned>(s.bits));
    b += "data";
    Put32(b, static_cast<uint32_t>(data.size()));
    return b + data;
}

std::vector<Sound> Sounds()
{
    const std::vector<Partial> warm = {{2.0, 0.3, 2.0}, {3.0, 0.1, 4.0}};
    const std::vector<Partial> bell = {{2.0, 0.5, 1.5}, {2.76, 0.35, 2.5}, {5.4, 0.2, 4.0}, {8.93, 0.08, 6.0}};
    return {
        {"Chime.wav", 22050, 16, 1.4, 0.8,
         {{0.00, 1318.51, 0.60, 5.0, warm}, {0.25, 1046.50, 0.60, 5.0, warm}, {0.50, 783.99, 0.90, 4.0, warm}}},
        {"Bell.wav", 22050, 16, 2.0, 0.8, {{0.0, 880.0, 2.0, 2.2, bell}}},
        {"Ding-Dong.wav", 22050, 16, 1.6, 0.8, {{0.0, 659.25, 0.8, 3.5, warm}, {0.55, 523.25, 1.05, 3.0, warm}}},
        {"Notify.wav", 22050, 16, 0.6, 0.7, {{0.0, 1046.50, 0.25, 8.0, warm}, {0.15, 1567.98, 0.45, 7.0, warm}}},
        {"Alarm.wav", 22050, 16, 1.6, 0.7,
         {{0.0, 1000, 0.12, 1.0, {{3.0, 0.2, 0}}}, {0.2, 1000, 0.12, 1.0, {{3.0, 0.2, 0}}},
          {0.4, 1000, 0.12, 1.0, {{3.0, 0.2, 0}}}, {0.8, 1000, 0.12, 1.0, {{3.0, 0.2, 0}}},
          {1.0, 1000, 0.12, 1.0, {{3.0, 0.2, 0}}}, {1.2, 1000, 0.12, 1.0, {{3.0, 0.2, 0}}}}},
        {"Soft.wav", 11025, 8, 1.2, 0.6, {{0.0, 440.0, 1.2, 2.5, {{2.0, 0.15, 3.0}}}}},
    };
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: orlinda-wavgen OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    for (const Sound& s : Sounds()) {
        const std::string path = folder + "/" + s.name;
        const std::string bytes = Wav(s, Render(s));
        std::FILE* f = std::fopen(path.c_str(), "wb");
        bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        if (f)
            ok = std::fclose(f) == 0 && ok;
        if (!ok) {
            std::fprintf(stderr, "orlinda-wavgen: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
