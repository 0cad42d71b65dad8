#include "scenario.h"

#include <cstdlib>

#include "test_access.h"

bool Scenario::clear_text(unsigned second)
{
    const std::vector<Text> text = ready_lines(1);
    const int top = text.front().y;
    const int bottom = text.back().y + 8;
    std::srand(second);
    Level l(1);
    for (const Asteroid& a : TestAccess::asteroids(l)) {
        const int radius = a.getSize() * 10;
        const int y = static_cast<int>(a.getY());
        if (y + radius > top && y - radius < bottom) {
            return false;
        }
    }
    return true;
}

bool Scenario::calm(unsigned second)
{
    // A shot lives 200 ticks: fired by tick 200, it is gone by 400.
    for (int fire_at = 0; fire_at <= 200; ++fire_at) {
        std::srand(second);
        Level l(1);
        for (int t = 0; t < 400; ++t) {
            if (t == fire_at) {
                l.fire(WIDTH / 2, 100);
            }
            if (!tick(l) || TestAccess::asteroids(l).size() != 3) {
                return false;
            }
        }
    }
    return true;
}

bool Scenario::losing(unsigned second)
{
    // Two seconds of play at fifty ticks a second.
    return play_ahead(second, 1, 100, Outcome::Lost).has_value();
}

void Scenario::start(unsigned second, Launch launch)
{
    if (game == nullptr) {
        new_game();
    }
    launch.second = second;
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(game->start(launch)) << "the game could not be started";
    const auto ready = [](const Screenshot& s) { return shows_ready_letters(s, 1) && ship_alone_at_the_centre(s); };
    ASSERT_TRUE(wait_for(ready, READY_ROWS))
        << "no ready screen; the game said: " << game->console().out << game->console().err;
    startup = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
}

void Scenario::start_play(int difficulty)
{
    ASSERT_TRUE(game->keys("space"));
    ASSERT_TRUE(wait_for([&](const Screenshot& s) { return !shows_ready_letters(s, difficulty); }, READY_ROWS))
        << "play did not start";
}

void Scenario::lose()
{
    ASSERT_TRUE(game->keys("space"));
    ASSERT_TRUE(wait_for(shows_game_over, GAME_OVER_ROWS)) << "no game-over screen";
}

void Scenario::expect_end(const std::string& how, int status, const std::string& out, const std::string& err)
{
    const std::optional<int> ended = patience.renew_on(game->wait(patience.left(PATIENCE)));
    ASSERT_TRUE(ended.has_value()) << how << ": the game did not end";
    EXPECT_EQ(*ended, status) << how;
    const Console c = game->console();
    EXPECT_TRUE(c.says(out, err)) << how << ": the game said \"" << c.out << "\" and \"" << c.err << "\"";
}

// About a hundred times less than the absurd header of a hostile image asks
// for, and twice what the sanitizer build uses with every image loaded.
constexpr long FAILED_GAME_KIB = 384 * 1024;

void Scenario::expect_texture_failure(const std::string& what)
{
    expect_end(what, 1, "", "Texture loading failed\n");
    EXPECT_LE(game->peak_kib(), FAILED_GAME_KIB) << what;
}
