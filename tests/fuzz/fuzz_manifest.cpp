// libFuzzer target: any text as a product's manifest. Every refusal must be
// one line, and an accepted manifest must give the header and the payload
// list the build writes from it.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "product_manifest.h"
#include "product_outputs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = [] {
        char folder[] = "/tmp/fuzz-manifest-XXXXXX";
        return std::string(mkdtemp(folder)) + "/product.toml";
    }();
    FILE* file = fopen(path.c_str(), "wb");
    fwrite(data, 1, size, file);
    fclose(file);
    try {
        ProductManifest product = readProductManifest(path, "/build");
        productHeader(product);
        productPayloadList(product);
    } catch (const std::runtime_error& error) {
        if (strchr(error.what(), '\n')) abort();
    }
    return 0;
}
