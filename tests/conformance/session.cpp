// The conformance session in C++ (see session.c for what it prints); kvdui::Error's code is each row's.
#include <kvdui/kvdui.hpp>

#include <cstdlib>
#include <iostream>

namespace {

void EventLine(const kvdui::Event& e) {
    if (e.is_click())
        std::cout << "click " << e.id << ' ' << e.name << ' ' << e.flags << std::endl;
    else if (e.is_text())
        std::cout << "text " << e.id << ' ' << e.name << ' ' << e.text << std::endl;
    else
        std::cout << "disconnected" << std::endl;
}

template <typename F> int CodeOf(F&& call) {
    try {
        call();
    } catch (const kvdui::Error& e) {
        return e.code();
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4)
        return 2;
    try {
        const kvdui::Layout board = kvdui::Layout::open(argv[1]);
        kvdui::Options options;
        options.port = std::atoi(argv[2]);
        options.program_name = "conformance";
        {
            kvdui::Client sim = kvdui::Client::connect(options);
            std::cout << "show " << sim.show(board, {{"lap", "12"}, {"laps", "57"}}) << std::endl;
            std::cout << "set " << sim.set(board, "lap", "13") << std::endl;
            for (int i = 0; i < 2; ++i)
                if (const auto event = sim.wait_event(std::chrono::seconds(10)))
                    EventLine(*event);
            std::cout << "hide " << sim.hide(board) << std::endl;
            if (const auto event = sim.wait_event(std::chrono::seconds(10)))
                EventLine(*event);
            std::cout << "closed " << CodeOf([&] {
                sim.show(board, {{"lap", "12"}, {"laps", "57"}});
            }) << std::endl;
        }
        kvdui::Client sim = kvdui::Client::connect(options);
        std::cout << "unknown-name " << CodeOf([&] { board.id("fuel"); }) << std::endl;
        // An odd list cannot be written as pairs: it goes to the C interface as it stands.
        const char* odd[] = {"lap", nullptr};
        kvdui_error err;
        std::cout << "odd-values " << -kvdui_show(sim.handle(), board.handle(), odd, 0, &err) << std::endl;
        std::cout << "bad-file " << CodeOf([&] { kvdui::Layout::open(argv[3]); }) << std::endl;
        options.port = 1;
        options.timeout = std::chrono::milliseconds(2000);
        std::cout << "no-simulator " << CodeOf([&] { kvdui::Client::connect(options); }) << std::endl;
    } catch (const kvdui::Error& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}
