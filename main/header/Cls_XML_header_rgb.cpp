// The capture data section "RGB_data" of heat files.
#include "Cls_XML_header.h"

#include <utility>

using header_field::Field;
using header_field::Kind;

namespace {

namespace rgb {
constexpr Field RGB_X{"//RGB_X"};
constexpr Field RGB_Y{"//RGB_Y"};
constexpr Field RGB_Image_Size{"//RGB_image_size"};
constexpr Field RGB_Compressed_max_Size{"//RGB_compressed_max_size"};
constexpr Field RGB_Compressed_buffer_Size{"//RGB_compressed_buffer_size"};
constexpr Field RGB_Compressed_min_Size{"//RGB_compressed_min_size"};
constexpr Field RGB_Max_Seen_size{"//RGB_max_seen_size"};
constexpr Field RGB_Comp_Threshold{"//RGB_comp_threshold"};
constexpr Field JPG_Reduced_Qual_num{"//RGB_JPEG_Quality_num_reduced"};
constexpr Field RGB_Sample_Size{"//RGB_sample_size"};
constexpr Field RGB_fourcc{"//RGB_fourcc"};
constexpr Field RGB_fps{"//RGB_fps"};
constexpr Field RGB_JPEG_Codec{"//RGB_JPEG_Codec", Kind::Fallback, "unknown"};
constexpr Field RGB_JPEG_Quality{"//RGB_JPEG_Quality", Kind::Fallback, "0000"};
constexpr Field RGB_interlaced{"//RGB_interlaced"};
constexpr Field RGB_preview_on{"//RGB_preview_on"};
constexpr Field RGB_Rotated{"//RGB_rotated"};
} // namespace rgb

// The two groups of the section; line breaks stand only around them.
constexpr std::pair<const char*, const char*> kSizes[] = {
    {"RGB_X", "000"},
    {"RGB_Y", "000"},
    {"RGB_image_size", "0000000"},
    {"RGB_max_seen_size", "0000000"},
    {"RGB_comp_threshold", "0000000"},
    {"RGB_compressed_max_size", "0000000"},
    {"RGB_compressed_buffer_size", "0000000"},
    {"RGB_compressed_min_size", "99999999"},
    {"RGB_sample_size", "0000000"},
};
constexpr std::pair<const char*, const char*> kFormat[] = {
    {"RGB_interlaced", "Y"},      {"RGB_rotated", "Y"},
    {"RGB_preview_on", "Y"},      {"RGB_fourcc", "none"},
    {"RGB_JPEG_Codec", "none"},   {"RGB_fps", "000"},
    {"RGB_JPEG_Quality", "0000"}, {"RGB_JPEG_Quality_num_reduced", "0000"},
};

} // namespace

xmldom::Node Cls_XML_header::Build_RGB_Data() {
    xmldom::Node section = DOM_doc->createElement("RGB_data");
    Add_break(section);
    for (const auto& [name, text] : kSizes)
        Add_element(section, name, text);
    Add_break(section);
    for (const auto& [name, text] : kFormat)
        Add_element(section, name, text);
    Add_break(section);
    return section;
}

int16_t Cls_XML_header::RGB_X() {
    return Read_int(rgb::RGB_X);
}
void Cls_XML_header::RGB_X(int16_t value) {
    Write_number(rgb::RGB_X, value);
}
int16_t Cls_XML_header::RGB_Y() {
    return Read_int(rgb::RGB_Y);
}
void Cls_XML_header::RGB_Y(int16_t value) {
    Write_number(rgb::RGB_Y, value);
}
int32_t Cls_XML_header::RGB_Image_Size() {
    return Read_long(rgb::RGB_Image_Size);
}
void Cls_XML_header::RGB_Image_Size(int32_t value) {
    Write_number(rgb::RGB_Image_Size, value);
}
int32_t Cls_XML_header::RGB_Compressed_max_Size() {
    return Read_long(rgb::RGB_Compressed_max_Size);
}
void Cls_XML_header::RGB_Compressed_max_Size(int32_t value) {
    Write_number(rgb::RGB_Compressed_max_Size, value);
}
int32_t Cls_XML_header::RGB_Compressed_buffer_Size() {
    return Read_long(rgb::RGB_Compressed_buffer_Size);
}
void Cls_XML_header::RGB_Compressed_buffer_Size(int32_t value) {
    Write_number(rgb::RGB_Compressed_buffer_Size, value);
}
int32_t Cls_XML_header::RGB_Compressed_min_Size() {
    return Read_long(rgb::RGB_Compressed_min_Size);
}
void Cls_XML_header::RGB_Compressed_min_Size(int32_t value) {
    Write_number(rgb::RGB_Compressed_min_Size, value);
}
std::string Cls_XML_header::RGB_Max_Seen_size() {
    return Read_text(rgb::RGB_Max_Seen_size);
}
void Cls_XML_header::RGB_Max_Seen_size(const std::string& value) {
    Write_text(rgb::RGB_Max_Seen_size, value);
}
std::string Cls_XML_header::RGB_Comp_Threshold() {
    return Read_text(rgb::RGB_Comp_Threshold);
}
void Cls_XML_header::RGB_Comp_Threshold(const std::string& value) {
    Write_text(rgb::RGB_Comp_Threshold, value);
}
int16_t Cls_XML_header::JPG_Reduced_Qual_num() {
    return Read_int(rgb::JPG_Reduced_Qual_num);
}
void Cls_XML_header::JPG_Reduced_Qual_num(int16_t value) {
    Write_number(rgb::JPG_Reduced_Qual_num, value);
}
int32_t Cls_XML_header::RGB_Sample_Size() {
    return Read_long(rgb::RGB_Sample_Size);
}
void Cls_XML_header::RGB_Sample_Size(int32_t value) {
    Write_number(rgb::RGB_Sample_Size, value);
}
std::string Cls_XML_header::RGB_fourcc() {
    return Read_text(rgb::RGB_fourcc);
}
void Cls_XML_header::RGB_fourcc(const std::string& value) {
    Write_text(rgb::RGB_fourcc, value);
}
std::string Cls_XML_header::RGB_fps() {
    return Read_text(rgb::RGB_fps);
}
void Cls_XML_header::RGB_fps(const std::string& value) {
    Write_text(rgb::RGB_fps, value);
}
std::string Cls_XML_header::RGB_JPEG_Codec() {
    return Read_text(rgb::RGB_JPEG_Codec);
}
void Cls_XML_header::RGB_JPEG_Codec(const std::string& value) {
    Write_text(rgb::RGB_JPEG_Codec, value);
}
std::string Cls_XML_header::RGB_JPEG_Quality() {
    return Read_text(rgb::RGB_JPEG_Quality);
}
void Cls_XML_header::RGB_JPEG_Quality(const std::string& value) {
    Write_text(rgb::RGB_JPEG_Quality, value);
}
bool Cls_XML_header::RGB_interlaced() {
    return Read_bool(rgb::RGB_interlaced);
}
void Cls_XML_header::RGB_interlaced(bool value) {
    Write_bool(rgb::RGB_interlaced, value);
}
bool Cls_XML_header::RGB_preview_on() {
    return Read_bool(rgb::RGB_preview_on);
}
void Cls_XML_header::RGB_preview_on(bool value) {
    Write_bool(rgb::RGB_preview_on, value);
}
bool Cls_XML_header::RGB_Rotated() {
    return Read_xbool(rgb::RGB_Rotated);
}
void Cls_XML_header::RGB_Rotated(bool value) {
    Write_xbool(rgb::RGB_Rotated, value);
}
