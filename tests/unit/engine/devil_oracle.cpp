#include "devil_oracle.h"

#include <IL/il.h>

#include <vector>

std::string DevilPcxFromRawBits(const uint8_t* bottomUpBgr, int width, int height,
                                const std::string& path) {
    ILuint name = 0;
    ilGenImages(1, &name);
    if (name == 0) return "";
    ilBindImage(name);
    ilEnable(IL_FILE_OVERWRITE);
    const ILint depth = ilGetInteger(IL_IMAGE_DEPTH);
    bool saved = ilTexImage(static_cast<ILuint>(width), static_cast<ILuint>(height),
                            static_cast<ILuint>(depth), 3, IL_BGR, IL_UNSIGNED_BYTE,
                            const_cast<uint8_t*>(bottomUpBgr)) == IL_TRUE;
    saved = saved && ilSave(IL_PCX, path.c_str()) == IL_TRUE;
    ilDeleteImages(1, &name);
    return saved ? ReadFile(path) : "";
}

std::string DevilPcx(const RgbImage& picture, const std::string& path) {
    const size_t rowBytes = static_cast<size_t>(picture.width) * 3;
    std::vector<uint8_t> raw(rowBytes * static_cast<size_t>(picture.height));
    for (int y = 0; y < picture.height; ++y) {
        const uint8_t* from = picture.At(0, y);
        uint8_t* to = raw.data() + rowBytes * static_cast<size_t>(picture.height - 1 - y);
        for (size_t x = 0; x < rowBytes; x += 3) {
            to[x] = from[x + 2];
            to[x + 1] = from[x + 1];
            to[x + 2] = from[x];
        }
    }
    return DevilPcxFromRawBits(raw.data(), picture.width, picture.height, path);
}
