// The main of every test executable: a private temporary home, a headless
// Qt application, scripted dialogs, no real printer (a PDF file when
// TIDEWICK_PRINTER_PDF names one), and a check that no test leaves an
// unexpected "Run-time error" box behind.
#include "Printer.h"
#include "TestEnv.h"

#include <QApplication>
#include <QPrinter>
#include <gtest/gtest.h>

#include <cstdlib>

namespace test_env {
void init_root();
void remove_root();
} // namespace test_env

namespace {

class TestPrinter : public forms::PrinterService {
public:
    std::unique_ptr<QPrinter> make_printer() override {
        const std::string pdf = path();
        return pdf.empty() ? nullptr : forms::PdfPrinter(pdf).make_printer();
    }
    int32_t count() override { return path().empty() ? 0 : 1; }
    std::string name() override { return path().empty() ? std::string() : "PDF"; }

private:
    static std::string path() {
        const char* p = std::getenv("TIDEWICK_PRINTER_PDF");
        return p && *p ? p : std::string();
    }
};

// A box of an error no procedure trapped means a fault; a test that expects
// one takes it out of the record (test_env::dialogs().clear()).
class RuntimeErrorCheck : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { first_ = test_env::dialogs().shown.size(); }
    void OnTestEnd(const ::testing::TestInfo&) override {
        const auto& shown = test_env::dialogs().shown;
        for (size_t i = shown.size() < first_ ? 0 : first_; i < shown.size(); ++i)
            if (shown[i].prompt.rfind("Run-time error", 0) == 0)
                ADD_FAILURE() << "an untrapped error was shown: " << shown[i].prompt;
    }
    size_t first_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    test_env::init_root();
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    TestPrinter printer;
    forms::set_printer_service(&printer);
    ::testing::UnitTest::GetInstance()->listeners().Append(new RuntimeErrorCheck);
    const int r = RUN_ALL_TESTS();
    forms::set_printer_service(nullptr);
    test_env::remove_root();
    return r;
}
