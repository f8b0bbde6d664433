// A pit-stop board from C++: shows the pit-stop layout, fills the lap values, counts clicks on the fuel
// buttons, echoes what the driver types, moves the lap on each second and hides the board on exit.
//
//   pit_stop LAYOUT [PORT [SECONDS]]
#include "pit-stop.kvdui.h"

#include <kvdui/kvdui.hpp>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: pit_stop LAYOUT [PORT [SECONDS]]\n";
        return 2;
    }
    using clock = std::chrono::steady_clock;
    try {
        const kvdui::Layout board = kvdui::Layout::open(argv[1]);

        kvdui::Options options;
        if (argc > 2)
            options.port = std::atoi(argv[2]);
        options.program_name = "Pit wall (C++)";
        kvdui::Client sim = kvdui::Client::connect(options);
        sim.show(board, {{pit_stop::placeholder::lap, "1"}, {pit_stop::placeholder::laps, "57"}});

        const auto end = clock::now() + std::chrono::seconds(argc > 3 ? std::atoi(argv[3]) : 10);
        auto next_lap = clock::now() + std::chrono::seconds(1);
        int fuel = 0;
        int lap = 1;
        while (clock::now() < end) {
            if (const auto event = sim.wait_event(std::chrono::milliseconds(100))) {
                if (event->is_disconnected()) {
                    std::cout << "disconnected: " << event->text << std::endl;
                    return 0;
                }
                if (event->is_click() &&
                    (event->id == pit_stop::fuel_plus || event->id == pit_stop::fuel_minus)) {
                    fuel += event->id == pit_stop::fuel_plus ? 5 : -5;
                    std::cout << "click " << event->name << ": fuel " << (fuel >= 0 ? "+" : "") << fuel
                              << " L" << std::endl;
                } else if (event->is_click()) {
                    std::cout << "click " << event->name << " (ID " << event->id << ")" << std::endl;
                } else if (event->is_text()) {
                    std::cout << "typed into " << event->name << ": " << event->text << std::endl;
                }
            }
            if (clock::now() >= next_lap) {
                sim.set(board, pit_stop::placeholder::lap, std::to_string(++lap));
                next_lap = clock::now() + std::chrono::seconds(1);
            }
        }
        sim.hide(board);
    } catch (const kvdui::Error& e) {
        std::cerr << "pit_stop: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
