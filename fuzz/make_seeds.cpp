// Writes starting inputs for the fuzz targets with the system's own writers:
//   fuzz_make_seeds <seed folder> <a PAL DV file of at least 2 frames>
// Each target's seeds land in <seed folder>/<target>/.
#include "Cls_XML_header.h"
#include "Ijl.h"
#include "Make_Heat.h"
#include "Module_ini_file.h"
#include "PlaySound.h"
#include "Registry.h"
#include "cls_VideoFile_handler.h"

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr size_t kDV = 144000;
std::string g_dir;

std::string seed(const std::string& target, const std::string& name) {
    std::filesystem::create_directories(g_dir + "/" + target);
    return g_dir + "/" + target + "/" + name;
}

void write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool heat_files() {
    for (int grey = 0; grey < 2; ++grey) {
        make_heat::Heat_Recipe recipe;
        recipe.path = seed("heat", grey ? "grey.qf3" : "small.qf3");
        recipe.width = 32;
        recipe.height = 24;
        recipe.slot_size = 3000;
        recipe.grey = grey;
        std::string error;
        if (!make_heat::Make_Heat(recipe, 3, &error)) {
            std::fprintf(stderr, "heat: %s\n", error.c_str());
            return false;
        }
    }
    return true;
}

void headers() {
    Cls_XML_header h;
    h.rgb(true);
    h.Tidewick(true);
    h.Create_Header();
    h.Streams_no(1);
    h.Frames_no(3);
    const std::string text = h.XML_string();
    write(seed("header", "created.xml"), text);
    write(seed("xml", "header.xml"), text);
    write(seed("xml", "small.xml"),
          "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n<a b=\"1\"><c>&amp;x</c>"
          "<!-- note --><![CDATA[<raw>]]></a>\r\n");
}

void qfn_and_sdv(const std::string& dv) {
    const std::string path = seed("qfn", "two.qf2");
    cls_VideoFile_handler w;
    w.File_name(path);
    w.Create_File();
    w.Initiate_QFN_File();
    w.Header().Streams_no(1);
    w.Write_XML_Header();
    for (size_t i = 0; i < 2; ++i)
        w.Append_DV_frame(reinterpret_cast<const uint8_t*>(dv.data()) + i * kDV);
    w.Close_File();

    std::string record(64, '\0');
    std::memcpy(record.data(), "ORDV", 4);
    const int32_t start = 64, samples = 2;
    const int16_t streams = 1;
    std::memcpy(record.data() + 4, &start, 4);
    std::memcpy(record.data() + 8, &samples, 4);
    std::memcpy(record.data() + 12, &streams, 2);
    write(seed("sdv", "two.sdv"), record + dv.substr(0, 2 * kDV));
}

void settings_and_registry() {
    const std::string ini = seed("settings", "settings.ini");
    Write_Ini("Settings", "Folder", "/data/heats", ini);
    Write_Ini("capture", "crop", "\"440*1080\"", ini);
    Write_Ini("windowpos", "frmMain", "10,20,800,600", ini);

    const std::string reg = seed("registry", "registry.txt");
    registry::SetRegistryFilePath(reg);
    registry::WriteString(registry::HKEY_CURRENT_USER, "Software\\Tidewick", "Folder",
                          "C:\\heats \"x\" [1] 100%");
    registry::WriteString(registry::HKEY_CLASSES_ROOT,
                          "CLSID\\{00000000-0000-0000-0000-000000000001}\\InprocServer32", "",
                          "/usr/lib/OrvelCap5.so");
    registry::HKEY key = 0;
    if (registry::RegCreateKeyExA(registry::HKEY_CURRENT_USER, "Software\\Tidewick\\Binary", 0, {}, 0,
                                  registry::KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr) == registry::ERROR_SUCCESS) {
        const uint32_t dword = 0x12345678;
        registry::RegSetValueExA(key, "Count", 0, registry::REG_DWORD, &dword, 4);
        registry::RegCloseKey(key);
    }
}

void wav_and_jpeg() {
    write(seed("wav", "click.wav"), sound::ClickWave());
    std::vector<uint8_t> dib(16 * 3 * 8), jpeg(4096);
    for (size_t i = 0; i < dib.size(); ++i)
        dib[i] = static_cast<uint8_t>(i * 7);
    ijl::JPEG_CORE_PROPERTIES p;
    ijl::ijlInit(&p);
    p.DIBBytes = dib.data();
    p.DIBWidth = 16;
    p.DIBHeight = -8;
    p.JPGBytes = jpeg.data();
    p.JPGSizeBytes = static_cast<int32_t>(jpeg.size());
    if (ijl::ijlWrite(&p, ijl::IJL_JBUFF_WRITEWHOLEIMAGE) == ijl::IJL_OK)
        write(seed("jpeg", "small.jpg"), std::string(reinterpret_cast<char*>(jpeg.data()), p.JPGSizeBytes));
    ijl::ijlFree(&p);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: fuzz_make_seeds <seed folder> <pal.dv>\n");
        return 2;
    }
    g_dir = argv[1];
    const std::string dv = read(argv[2]);
    if (dv.size() < 2 * kDV) {
        std::fprintf(stderr, "fuzz_make_seeds: %s holds fewer than 2 DV frames\n", argv[2]);
        return 1;
    }
    QApplication app(argc, argv);
    if (!heat_files()) return 1;
    headers();
    qfn_and_sdv(dv);
    settings_and_registry();
    wav_and_jpeg();
    return 0;
}
