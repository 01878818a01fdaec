#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdint>
#include <string>

#include "../check/ladder_drawing.h"
#include "comm/device_image.h"

namespace bdx {
namespace {

// The library as the device simulator window sees it: loaded at run time, every operation
// looked up by name in the variant of the model.
class EmulationLibrary {
  public:
    explicit EmulationLibrary(bool advanced) : suffix_(advanced ? "_New_TimeSwitch" : "") {
        handle_ = dlopen(BDX_PANELSIM_PATH, RTLD_NOW | RTLD_LOCAL);
    }
    ~EmulationLibrary() {
        if (handle_ != nullptr) {
            dlclose(handle_);
        }
    }
    bool loaded() const { return handle_ != nullptr; }

    template <typename F>
    F* get(const char* name) {
        void* symbol = dlsym(handle_, (name + suffix_).c_str());
        EXPECT_NE(symbol, nullptr) << name << suffix_;
        return reinterpret_cast<F*>(symbol);
    }

  private:
    void* handle_ = nullptr;
    std::string suffix_;
};

using Init = void(const char*);
using NoArgs = void();
using Loop = std::uint8_t(std::int32_t, std::int16_t);
using ByteIn = void(std::uint8_t);
using ByteOut = std::uint8_t();
using Volts = void(std::int32_t, std::int32_t);

struct Variant {
    bool advanced;
    int model;
};

class EmulationLibraryTest : public ::testing::TestWithParam<Variant> {};

TEST_P(EmulationLibraryTest, RunsTheImageFileAgainstItsPanel) {
    const Variant v = GetParam();
    EmulationLibrary lib(v.advanced);
    ASSERT_TRUE(lib.loaded()) << dlerror();
    for (const char* name :
         {"UpdateInputs_ExtA", "UpdateInputs_ExtB", "UpdateInputs_ExtC", "UpdateVoltage_ExtA",
          "UpdateVoltage_ExtB", "UpdateOutputs_ExtB", "UpdateOutputs_ExtC"}) {
        lib.get<void>(name);
    }

    // I1 drives Q1, Z1 (the Up key) drives Q2 on display models, J1 drives U1 on extension A,
    // and A1 (V1 above 5.00 V) drives Q3 on analog models.
    Ladder l(v.model);
    l.p.ExtensionModules[0] = 1;
    l.rung(1, 'I', 1, 'Q', 1).rung(2, 'Z', 1, 'Q', 2).rung(3, 'J', 1, 'U', 1).rung(4, 'A', 1, 'Q', 3);
    l.p.AnalogParams[0][AnalogField::RefHigh] = 500 / 256;
    l.p.AnalogParams[0][AnalogField::RefLow] = 500 % 256;
    l.p.AnalogParams[0][AnalogField::Operands] = 0 * 2 + 8 * 16;  // V1 > VREF
    l.p.AnalogScalingParams[0][AnalogScalingField::Max + 1] = 1;  // V1 scaled 0..1000
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("LAD.LAD"));
    ASSERT_TRUE(BuildImageFile(l.p, false, v.model, path));

    lib.get<Init>("InitialiseDLL")(path.toLocal8Bit().constData());
    auto run = lib.get<Loop>("RunInfiniteLoopFunction");
    auto outputs = lib.get<ByteOut>("UpdateOutputs_Base");
    auto inputs = lib.get<ByteIn>("UpdateInputs_Base");
    EXPECT_EQ(run(1, 0), 0) << "no scans before the timer starts";

    lib.get<NoArgs>("StartDLLTimer")();
    inputs(1);
    EXPECT_EQ(run(1, 0) & 1, 1);
    EXPECT_EQ(outputs(), 0x01);
    lib.get<ByteIn>("SetNewKeyCode")(2);
    lib.get<ByteIn>("UpdateInputs_ExtA")(1);
    lib.get<Volts>("UpdateVoltage_Base")(700, 0);
    run(2, 0);
    EXPECT_EQ(outputs(), 0x07);
    EXPECT_EQ(lib.get<ByteOut>("UpdateOutputs_ExtA")(), 0x01);
    lib.get<ByteIn>("ResetNewKeyCode")(2);
    inputs(0);
    run(2, 0);
    EXPECT_EQ(outputs(), 0x04);

    EXPECT_EQ(run(1, 1), 0) << "supply off";
    EXPECT_EQ(outputs(), 0);
    lib.get<NoArgs>("EndDLLTimer")();
    EXPECT_EQ(run(1, 0), 0);
}

INSTANTIATE_TEST_SUITE_P(BothVariants, EmulationLibraryTest,
                         ::testing::Values(Variant{false, 6}, Variant{true, 9}),
                         [](const auto& info) { return info.param.advanced ? "NewTimeSwitch" : "Plain"; });

}  // namespace
}  // namespace bdx
