#pragma once

#include <functional>
#include <utility>

// A function the program calls through a seam that tests can replace: the system's dialog or
// browser in the program, a recorder in a test. A replacement lasts as long as the Replaced
// guard it comes with, so a test that fails early still puts the program's own back.
template <typename Signature> class Seam {
public:
    using Function = std::function<Signature>;

    class Replaced {
    public:
        Replaced(Seam& seam, Function previous) : seam_(seam), previous_(std::move(previous)) {}
        ~Replaced() { seam_.function_ = std::move(previous_); }
        Replaced(const Replaced&) = delete;
        Replaced& operator=(const Replaced&) = delete;

    private:
        Seam& seam_;
        Function previous_;
    };

    [[nodiscard]] Replaced replace(Function function) {
        return Replaced(*this, std::exchange(function_, std::move(function)));
    }

    // The replacement, or nothing when the program's own applies.
    const Function& replacement() const { return function_; }

private:
    Function function_;
};
