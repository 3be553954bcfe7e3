#pragma once
// The program's live-capture object: wraps one VideoCap5 object of the
// capture library, is its frame sink, chooses the saved source, and turns
// each delivered frame into a time-stamped, centre-cropped JPEG announced by
// HDMIreceived. Everything runs on the thread that created the object; the
// library delivers its frames there when that thread's queue is pumped.
#include "ComPtr.h"
#include "Frame_Stamp_Board.h"
#include "IVideoCap.h"
#include "cDIBSection.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace forms {
class PictureBox;
}

class cls_Capture_HDMI final : public IVideoCapEvent {
public:
    // An object owned by its references: it goes when the last one is
    // released, and holds one itself while its frame event runs, so a
    // handler may drop its owner's reference there.
    static com::ComPtr<cls_Capture_HDMI> Create();
    // An object owned by its maker (as a member or on the stack); the
    // reference count then only mirrors the library's references.
    cls_Capture_HDMI();
    ~cls_Capture_HDMI();
    cls_Capture_HDMI(const cls_Capture_HDMI&) = delete;
    cls_Capture_HDMI& operator=(const cls_Capture_HDMI&) = delete;

    // Events, raised on the object's thread. The JPEG and the time stamps of
    // a frame are valid only during HDMIreceived.
    std::function<void()> HDMIreceived;
    std::function<void()> HDMIreceivedclean;
    std::function<void()> HitDetected;

    // What stops every capture when the road cannot go on (a failed crop, a
    // size target locked before any frame): by default the captures-stopped
    // flag is set and the program's Stop_Captures_And_Flush runs.
    std::function<void()> Stop_Captures_And_Flush;

    bool Set_Source_from_Saved();
    void Capture_Run();
    void Stop_Capture();
    void Pause_Capture();
    void UnPause_Capture();
    void Advise();
    void UnAdvise();

    std::string Current_FriendlyName() const;
    std::string Current_PropertyString() const;
    bool SourcePropFound() const { return m_SourcePropFound; }
    std::string Last_Error() const { return m_LastError; }
    bool Running() const { return m_is_Running; }
    void ID_string(const std::string& id) { m_ID_string = id; }
    void Capture_Rotate_RGB(bool rotate) { m_Rotate_RGB = rotate; }
    bool Capture_Rotate_RGB() const { return m_Rotate_RGB; }
    void Do_CROP(bool crop) { m_Do_Crop = crop; }
    void Direct_Compress(bool v);
    void Post_linear(int16_t v);
    void MaxFrames(int32_t v);
    void Do_log_time(int16_t v) { m_Do_log_time = v; }
    template <class T> void NoEvent(const T&) {}

    // Frame road.
    int32_t last_Capture_mill() const { return m_last_Capture_mill; }
    int32_t last_Capture_local() const { return m_last_Capture_local; }
    // A stall (or the first frame after creation) reads as 0.
    int32_t last_Capture_delta() const;
    int32_t HDMI_events() const { return m_HDMI_events; }
    float Running_fps() const { return m_Running_fps; }
    float Measured_fps() const;
    // From the probes of one run: those of the run before stand until this
    // run has taken its own (frame events 31 and 131).
    int32_t HDMI_10_mill() const { return m_mill_31 - m_mill_21; }
    std::string HDMI_Sample_Dimensions() const;
    // The last frame's capture time and count, readable from any thread at
    // once (the control box's start contact); shared so that a reader may
    // outlive this object.
    std::shared_ptr<const Frame_Stamp_Board> Stamp_Board() const { return m_stamp_board; }
    // Frames of the source that never reached this object (overwritten in
    // the library before they were taken, or never delivered by the source):
    // those just before the last frame, and those since the last Capture_Run.
    int32_t Frames_Lost_Before_Last() const { return m_lost_before_last; }
    int32_t Frames_Lost() const { return m_frames_lost; }
    int32_t Frames_Overwritten() const { return m_frames_overwritten; }
    int32_t Frames_Never_Delivered() const { return m_frames_never_delivered; }
    void Draw_Cropped_DIB(forms::PictureBox& picture);
    // A clock hand that turns once per 100 frame events, up at the start of a run.
    void Draw_Running_Arm_2(forms::PictureBox& picture, int32_t colour);
    const cDIBSection& Cropped_DIB() const { return m_crop_dib; }
    const cDIBSection& Rotated_DIB() const { return m_rotated_dib; }

    // Compression.
    void set_HDMI_Crop(int16_t width, int16_t height);
    void Reset_Compression_Counters();
    void Lock_Max_Direct_Compressed_size();
    // A hard upper bound for every JPEG (the record slot of the file being
    // written); 0 for none.
    void JPG_Size_Cap(int32_t bytes) { m_JPG_Size_Cap = bytes; }
    const uint8_t* Last_JPG_addr() const { return m_Last_JPG_addr; }
    int32_t Last_JPG_Compressed_Size() const { return m_Last_JPG_Compressed_Size; }
    int16_t Last_used_JPG_quality() const { return m_Last_used_JPG_quality; }
    int32_t JPG_Compression_Threshold() const { return m_JPG_Compression_Threshold; }
    int32_t Max_Seen_Compressed_Size() const { return m_Max_Seen_Compressed_Size; }
    int32_t Min_Seen_Compressed_Size() const { return m_min_seen_size; }
    int32_t Direct_Compressed_Num() const { return m_Direct_Compressed_Num; }
    int32_t Reduced_Quality_Num() const { return m_Reduced_Quality_Num; }
    int32_t Dropped_Frames_Num() const { return m_dropped_frames; }
    int32_t Max_Direct_Compressed_size() const { return 0; }
    int32_t JPG_Buffer_Size() const { return static_cast<int32_t>(m_jpg_buffer.size()); }

    // Crops and compresses one frame of the lent buffer.
    void Crop_RGB_picture(const uint8_t* pBuffer, int32_t lBufferSize, int32_t src_width, int32_t src_height,
                          int32_t crop_width, int32_t crop_height);
    void Compress_RGB();

    com::HRESULT QueryInterface(com::REFIID riid, void** ppv) override;
    com::ULONG AddRef() override { return ++m_refs; }
    com::ULONG Release() override;
    // IVideoCapEvent
    com::HRESULT OnDVEvent(IVideoCap* pSource, double dSampleTime, const uint8_t* pBuffer,
                           int32_t lBufferSize, int32_t lDeviceNumber) override;
    com::HRESULT OnRGBEvent(IVideoCap* pSource, double dSampleTime, const uint8_t* pBuffer,
                            int32_t lBufferSize, int32_t lDeviceNumber) override;
    com::HRESULT OnAudioEvent(IVideoCap* pSource, double dSampleTime, const uint8_t* pBuffer,
                              int32_t lBufferSize, int32_t lDeviceNumber) override;

private:
    void Get_VideoHeader();
    // The library's lost-frame counts and delivery age, found at the first frame.
    void Read_Library_Records();
    // The timer's value when the frame being delivered reached the library
    // (`now` when the library tells nothing of its wait), after the frame
    // before it in this run.
    int32_t Came_Mill(int32_t now) const;
    // Counts the frames lost since the previous one; an event-log line at
    // most once a second while frames go missing.
    void Count_Lost_Frames();
    // The running figures into the debug window, while it is shown.
    void Show_Compression_Statistics();
    void Rotate_Crop();
    std::string Get_Property(const std::string& name);
    void Set_Property(const std::string& name, const std::string& value);
    std::string Library_Last_Error();
    static void Check(com::HRESULT hr, const char* what);

    com::ComPtr<IVideoCap> oCapture;
    std::atomic<com::ULONG> m_refs{1};
    bool m_counted = false; // made by Create: the last Release deletes it
    com::DWORD m_advise_cookie = 0;
    bool m_is_Running = false;
    bool m_paused = false;
    std::string m_LastError;
    bool m_SourcePropFound = false;
    bool m_Rotate_RGB = false;
    std::string m_ID_string;
    int16_t Event_to_Send = 0;
    int16_t m_Post_linear = 0;
    int32_t m_MaxFrames = 0;
    int16_t m_Do_log_time = 0;

    int32_t m_last_Capture_mill = 0;
    int32_t m_last_Capture_local = 0;
    int32_t m_last_Capture_delta = 0;
    int32_t m_prev_Capture_mill = 0;
    int32_t m_HDMI_events = 0;
    int32_t m_fps_count = 0;
    int32_t m_fps_mark = 0;
    float m_Running_fps = 0;
    std::shared_ptr<Frame_Stamp_Board> m_stamp_board = std::make_shared<Frame_Stamp_Board>();
    bool m_library_records_read = false;
    const VideoCapFramesLost* m_lost_counts = nullptr;   // the library's, read at the first frame
    const VideoCapDeliveryAge* m_delivery_age = nullptr; // likewise
    uint32_t m_overwritten_seen = 0, m_never_delivered_seen = 0;
    int32_t m_lost_before_last = 0;
    int32_t m_frames_lost = 0, m_frames_overwritten = 0, m_frames_never_delivered = 0;
    int32_t m_lost_logged = 0;    // of m_frames_lost, already in the event log
    uint32_t m_lost_log_mill = 0; // when the last such line was written
    int32_t m_mill_21 = 0, m_mill_31 = 0, m_mill_131 = 0;
    int32_t m_fps_mill_31 = 0;       // the frame event 31 of the run that took m_mill_131
    int32_t m_run_mill_21 = 0;       // frame event 21 of this run, 0 before it
    bool m_frame_error_told = false; // a failed frame of this run was reported
    float m_arm_phase = 0;
    bool m_header_read = false;
    int32_t m_src_width = 0, m_src_height = 0;
    int32_t m_crop_width = 0, m_crop_height = 0;
    bool m_Do_Crop = false;
    cDIBSection m_crop_dib;
    cDIBSection m_rotated_dib;

    int32_t m_rgb_size = 0;
    std::vector<uint8_t> m_jpg_buffer;
    uint8_t* m_Last_JPG_addr = nullptr;
    int32_t m_jpg_capacity = 0;
    int32_t m_Last_JPG_Compressed_Size = 0;
    int16_t m_Last_used_JPG_quality = 0;
    int32_t m_Direct_Compressed_Num = 0;
    int32_t m_Reduced_Quality_Num = 0;
    int32_t m_Max_Seen_Compressed_Size = 0;
    int32_t m_min_seen_size = 999999;
    int32_t m_JPG_Compression_Threshold = 0;
    int32_t m_JPG_Size_Cap = 0;
    float m_compressed_sum = 0;
    int32_t m_reduce_passes = 0;
    int32_t m_dropped_frames = 0;
};
