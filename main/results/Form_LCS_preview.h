#pragma once
// The print preview window. A print job with the preview chosen draws on its
// page picture, a hidden picture of the page's size in twips; the end of the
// job shows that page scaled onto the whole window.
#include "Form.h"
#include "PictureBox.h"

class Form_LCS_preview : public forms::Form {
public:
    Form_LCS_preview();

    // The page a previewed job draws on (the print target); never shown.
    forms::PictureBox Picture_page{this, "Picture_page"};
    // The finished page, scaled to the window's inner size.
    forms::PictureBox Picture_show{this, "Picture_show"};

    // Makes the page picture the page's size (Page_Width x Page_Height) and
    // clears it; the print position goes to the top-left corner.
    void Prepare_Page();
    // Shows the page picture, scaled onto the whole window.
    void Show_Page();

protected:
    void Design() override;
    void Form_Load() override;
    void Form_Resize() override;
    void Form_QueryUnload(int32_t& Cancel, int32_t UnloadMode) override;
};

class Form_LCS_preview& Form_LCS_preview();
