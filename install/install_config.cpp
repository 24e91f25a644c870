#include "install_config.h"

PayloadEntry payloadTable[] = {
    {"QRV.EXE", nullptr, 0, {0, 0}},
    {"QRV.HLP", nullptr, 0, {0, 0}},
    {"DocReader.EXE", nullptr, 0, {0, 0}},  // its resource is "DOCREADER.EXE"
    {"HELP.QRD", nullptr, 0, {0, 0}},
    {"SHAPES.QRD", nullptr, 0, {0, 0}},
    {nullptr, nullptr, 0, {0, 0}},
};

int payloadCount()
{
    int count = 0;
    while (payloadTable[count].fileName) count++;
    return count;
}

char installFolder[MAX_PATH];
char browsePath[MAX_PATH];
const char shortcutArguments[] = "";
const char shortcutIconPath[] = "";
