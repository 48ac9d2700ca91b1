#include "formats/formats.h"

#include <cstdlib>
#include <vector>

namespace {

struct InputRow {
    const char* format;
    const char* extensions;
    const char* description;
};

constexpr InputRow kInputRows[] = {
    {"bmp", "bmp,rle,dib", "Windows or OS/2 Bitmap"},
    {"dds", "dds", "DirectDraw Surface File"},
    {"emf", "emf,emz", "Enhanced Metafile Format"},
    {"gif", "gif", "GIF File"},
    {"hdr", "hdr,hdri", "High Dynamic Range File"},
    {"ico", "ico", "Windows Icon"},
    {"jpg", "jpg,jpeg,jpe,jif", "JPEG File"},
    {"pcd", "pcd,pcd1,pcds,ppcd", "Kodak PhotoCD File"},
    {"pcx", "pcx", "ZSoft Paintbrush File"},
    {"pic", "pic,pict,pct", "Macintosh PICT"},
    {"png", "png", "Portable Network Graphics"},
    {"psd", "psd", "Adobe Photoshop File"},
    {"tga", "tga,targa", "Truevision Targa"},
    {"tiff", "tiff,tif", "Tagged Image File Format"},
    {"wmf", "wmf,wmz", "Windows Metafile Format"},
    {"wmf", "apm", "Aldus Placeable Metafile"},
    {"raw", "raw,raw1,raw2", "Camera RAW Image"},
    {"raw", "3fr", "Hasselblad Camera RAW Image"},
    {"raw", "arw,sr2,srf", "Sony Camera RAW Image"},
    {"raw", "bay", "Casio Camera RAW Image"},
    {"raw", "bmq", "NuCore RAW Image"},
    {"raw", "cap,iiq,eip", "Phase One Camera RAW Image"},
    {"raw", "cine", "Phantom RAW Image"},
    {"raw", "cr2,crw", "Canon Camera RAW Image"},
    {"raw", "cs1", "Capture Shop RAW Image"},
    {"raw", "dc2,dcr,drf,dsc,k25,kc2,kdc,dcs", "Kodak Camera RAW Image"},
    {"raw", "dng", "Adobe Digital Negative Image"},
    {"raw", "erf", "Epson Camera RAW Image"},
    {"raw", "fff", "Imacon Camera RAW Image"},
    {"raw", "ia,sti", "Sinar RAW Image"},
    {"raw", "mdc,mrw", "Minolta Camera RAW Image"},
    {"raw", "mef,mos", "Mamiya Camera RAW Image"},
    {"raw", "nef,nrw", "Nikon Camera RAW Image"},
    {"raw", "orf", "Olympus Camera RAW Image"},
    {"raw", "pef,ptx", "Pentax Camera RAW Image"},
    {"raw", "pxn", "Logitech Camera RAW Image"},
    {"raw", "qtk", "Apple Quicktake Camera RAW Image"},
    {"raw", "raf", "Fuji Camera RAW Image"},
    {"raw", "rdc", "Digital Foto Maker RAW Image"},
    {"raw", "rw2", "Panasonic Camera RAW Image"},
    {"raw", "rwz", "Rawzor Camera RAW Image"},
    {"raw", "x3f", "Sigma Camera RAW Image"},
    {"raw", "ari", "ARRI RAW Image"},
    {"raw", "r3d", "RED RAW Image"},
    {"raw", "rwl", "Leica Camera RAW Image"},
};


struct OutputRow {
    const char* key;
    int32_t id;
    const char* description;
    const char* bitDepths;
};

constexpr OutputRow kOutputTable[] = {
    {"bmp", 0, "Windows or OS/2 Bitmap", "1,4,8,16,24,32"},
    {"exr", 29, "ILM OpenEXR", "96"},
    {"gif", 25, "Graphics Interchange Format", "8"},
    {"hdr", 26, "High Dynamic Range Image", "96"},
    {"ico", 1, "Windows Icon", "1,4,8,16,24,32"},
    {"j2k", 30, "JPEG-2000 Codestream", "8,24,32,48"},
    {"jng", 3, "JPEG Network Graphics", "24,32"},
    {"jp2", 31, "JPEG-2000 File Format", "8,24,32,48"},
    {"jpg", 2, "JPEG File Format", "8,24"},
    {"jxr", 36, "JPEG XR Image Format", "1,8,16,24,32,48,96"},
    {"pbm", 7, "Portable Bitmap", "1"},
    {"pfm", 32, "Portable Floatmap", "96"},
    {"pgm", 11, "Portable Greymap", "8"},
    {"png", 13, "Portable Network Graphics", "1,4,8,24,32,48"},
    {"ppm", 14, "Portable Pixelmap", "24,48"},
    {"tga", 17, "Truevision Targa", "8,16,24,32"},
    {"tiff", 18, "Tagged Image File Format", "1,4,8,24,32,48,96"},
    {"wbmp", 19, "Wireless Bitmap", "1"},
    {"webp", 35, "Google WebP Image Format", "24,32"},
    {"xpm", 23, "X11 Pixmap Format", "24"},
    {"psd", 1081, "Adobe Photoshop", "32"},
    {"dds", 1079, "DirectDraw Surface", "32"},
    {"pcx", 1064, "ZSoft Paintbrush", "24"},
};

std::map<std::string, InputFormat>& InputMap() {
    static std::map<std::string, InputFormat> map;
    return map;
}

std::map<std::string, OutputFormat>& OutputMap() {
    static std::map<std::string, OutputFormat> map;
    return map;
}

std::vector<std::string> SplitCommas(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return parts;
}

} // namespace

void BuildFormatTables() {
    for (const InputRow& row : kInputRows)
        for (const std::string& ext : SplitCommas(row.extensions))
            InputMap()[ext] = InputFormat{row.format, row.description};
    for (const OutputRow& row : kOutputTable)
        OutputMap()[row.key] = OutputFormat{row.id, row.key, row.description, row.bitDepths};
}

const std::map<std::string, InputFormat>& InputFormatTable() { return InputMap(); }
const std::map<std::string, OutputFormat>& OutputFormatTable() { return OutputMap(); }

InputFormat LookupInputFormat(const std::string& extension) {
    auto it = InputMap().find(extension);
    return it == InputMap().end() ? InputFormat{} : it->second;
}

OutputFormat LookupOutputFormat(const std::string& format) {
    auto it = OutputMap().find(format);
    return it == OutputMap().end() ? OutputFormat{} : it->second;
}

std::string InputExtensionsOf(const std::string& format) {
    std::string list;
    for (const InputRow& row : kInputRows) {
        if (format != row.format) continue;
        if (!list.empty()) list += ",";
        list += row.extensions;
    }
    return list;
}

bool IsBppPermitted(const std::string& format, int64_t bpp) {
    if (bpp == 0) return true;
    for (const std::string& field : SplitCommas(LookupOutputFormat(format).bitDepths)) {
        if (field.empty()) continue;
        if (std::strtoll(field.c_str(), nullptr, 10) == bpp) return true;
    }
    return false;
}
