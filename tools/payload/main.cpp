// Regenerates what the installer carries: the warlord's record for both game
// editions, his face in the three sizes of the game's face archives, and the
// program icon. Usage:
//
//   payload_generator RESOURCES_DIR [--preview PREVIEW_DIR]
//
// writes RESOURCES_DIR/payload/{record_base,record_expansion,face_l,face_m,face_s}.bin
// and RESOURCES_DIR/icon/app.ico, byte for byte the same on every run. With
// --preview it also writes PNG images of every face and icon size.
//
// Formats: the record layout is described in WarlordRecord.cpp, the face
// image container in TextureFile.h; the icon is a standard .ico of 8-bit
// palettised images with AND masks.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "IconFile.h"
#include "PngFile.h"
#include "Portrait.h"
#include "TextureFile.h"
#include "WarlordRecord.h"

namespace fs = std::filesystem;
using namespace payload;

namespace {

struct FaceSize {
    const char* fileName;
    int side;
    int samplesPerAxis;
};

// Smaller images take more samples per pixel so that their edges stay smooth.
constexpr FaceSize kFaceSizes[] = {{"face_l", 256, 4}, {"face_m", 128, 6}, {"face_s", 64, 8}};
constexpr int kIconSides[] = {48, 32, 16};
constexpr int kIconSamplesPerAxis = 8;
// Icons show the head alone: at 16 pixels the armour would crowd out the face.
constexpr Box kIconView{28, 6, 228, 206};

bool WriteFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) std::cerr << "cannot write " << path << "\n";
    return static_cast<bool>(out);
}

bool MakeFolder(const fs::path& path) {
    std::error_code error;
    fs::create_directories(path, error);
    if (error) std::cerr << "cannot create " << path << ": " << error.message() << "\n";
    return !error;
}

bool WriteRecords(const fs::path& folder) {
    const std::pair<const char*, Edition> editions[] = {{"record_base.bin", Edition::Base},
                                                        {"record_expansion.bin", Edition::Expansion}};
    for (const auto& [fileName, edition] : editions) {
        const RecordResult record = BuildRecord(PackagedWarlord(), edition);
        if (!record.error.empty()) {
            std::cerr << "warlord record: " << record.error << "\n";
            return false;
        }
        if (!WriteFile(folder / fileName, record.bytes)) return false;
    }
    return true;
}

bool WriteFaces(const std::vector<Shape>& portrait, const fs::path& folder, const fs::path& preview) {
    for (const FaceSize& size : kFaceSizes) {
        const RgbaImage image = Render(portrait, size.side, size.samplesPerAxis);
        if (!WriteFile(folder / (std::string(size.fileName) + ".bin"), FrameTexture(image))) return false;
        if (!preview.empty() && !WriteFile(preview / (std::string(size.fileName) + ".png"), EncodePng(image))) {
            return false;
        }
    }
    return true;
}

bool WriteIcon(const std::vector<Shape>& portrait, const fs::path& folder, const fs::path& preview) {
    std::vector<RgbaImage> images;
    for (int side : kIconSides) images.push_back(Render(portrait, side, kIconSamplesPerAxis, kIconView));
    if (!WriteFile(folder / "app.ico", BuildIcon(images))) return false;
    if (preview.empty()) return true;
    for (const RgbaImage& image : images) {
        const fs::path file = preview / ("icon_" + std::to_string(image.side) + ".png");
        if (!WriteFile(file, EncodePng(IconPreview(image, images)))) return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const bool withPreview = argc == 4 && std::string(argv[2]) == "--preview";
    if (argc != 2 && !withPreview) {
        std::cerr << "usage: payload_generator RESOURCES_DIR [--preview PREVIEW_DIR]\n";
        return 2;
    }
    const fs::path resources = argv[1];
    const fs::path preview = withPreview ? fs::path(argv[3]) : fs::path();
    const fs::path payloadFolder = resources / "payload";
    const fs::path iconFolder = resources / "icon";
    if (!MakeFolder(payloadFolder) || !MakeFolder(iconFolder)) return 1;
    if (!preview.empty() && !MakeFolder(preview)) return 1;

    const std::vector<Shape> portrait = PortraitShapes();
    const bool written = WriteRecords(payloadFolder) && WriteFaces(portrait, payloadFolder, preview) &&
                         WriteIcon(portrait, iconFolder, preview);
    return written ? 0 : 1;
}
