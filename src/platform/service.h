#pragma once
// The instance()/install() pair of every platform service: the program reaches a service through
// Interface::instance(), which is the real one unless a test installed a double.
//
//     class Sound : public Service<Sound> { ... private: friend Service; static Sound& real(); };
//
// A service used only through const derives from Service<const Interface>.

#include <type_traits>

template <typename Interface>
class Service {
public:
    static Interface& instance() {
        return s_installed ? *s_installed : std::remove_const_t<Interface>::real();
    }
    // Not owned; nullptr restores the real one.
    static void install(Interface* replacement) { s_installed = replacement; }

private:
    static inline Interface* s_installed = nullptr;
};
