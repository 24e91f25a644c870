// product_tool MANIFEST [OUTDIR BUILD-FOLDER]: the build step that checks a
// product's manifest and writes what the build makes of it:
// OUTDIR/product_config.h and OUTDIR/product_payloads.cmake. A manifest the
// program could not honour is refused with one line naming the field, and
// nothing is written. With the manifest alone it only checks.
#include <cstdio>
#include <stdexcept>
#include <string>

#include "file_io.h"
#include "product_outputs.h"

namespace {

// Rewritten only when different, so that an unchanged product rebuilds
// nothing.
void writeIfChanged(const std::string& path, const std::string& text)
{
    try {
        MappedFile old(path);
        if (old.size() == text.size() && std::string(reinterpret_cast<const char*>(old.data()), old.size()) == text)
            return;
    } catch (const std::runtime_error&) {
        // not there yet
    }
    writeFileAtomically(path, reinterpret_cast<const uint8_t*>(text.data()), text.size(), std::nullopt);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 4) {
        fprintf(stderr, "usage: product_tool MANIFEST [OUTDIR BUILD-FOLDER]\n");
        return 2;
    }
    try {
        ProductManifest product = readProductManifest(argv[1], argc == 4 ? argv[3] : "${BUILD}");
        if (argc == 2) return 0;
        std::string out = argv[2];
        writeIfChanged(out + "/product_config.h", productHeader(product));
        writeIfChanged(out + "/product_payloads.cmake", productPayloadList(product));
    } catch (const std::exception& error) {
        fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
