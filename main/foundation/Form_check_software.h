#pragma once
// A small window that checks, while it loads, that no other instance of the
// program runs and that the control-box driver can be used, then hands over
// to the start-up window and unloads itself. Nothing in the program loads it.
#include "Form.h"

#include <string>

class Form_check_software : public forms::Form {
public:
    Form_check_software();

    // Whether the named software can be used; only "Phidget" is known.
    bool Test_For_Software(const std::string& name);

protected:
    void Form_Load() override;
    void Form_QueryUnload(int32_t& Cancel, int32_t UnloadMode) override;
};

class Form_check_software& Form_check_software();
