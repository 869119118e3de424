// A test that drives the real player on the X server named by DISPLAY, with
// the message bus it needs, and a second X client of its own.
#pragma once

#include "NeedsService.h"
#include "PlayerProcess.h"
#include "X11TestClient.h"

#include <gtest/gtest.h>

#include <memory>

class PlayerFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        LUMBRA_NEEDS_SERVICE("x11", !qEnvironmentVariableIsEmpty("DISPLAY"), "no DISPLAY");
        LUMBRA_NEEDS_SERVICE("dbus", !qEnvironmentVariableIsEmpty("DBUS_SYSTEM_BUS_ADDRESS"), "no DBUS_SYSTEM_BUS_ADDRESS");
        ensureCoreApplication();
        ASSERT_TRUE(x11.connected());
    }

    // Starts the player and waits until main ran and the window is up.
    std::unique_ptr<PlayerProcess> start(const QString& appDir, const QStringList& args = {})
    {
        auto player = std::make_unique<PlayerProcess>(appDir, args);
        EXPECT_TRUE(player->expectLine(QStringLiteral("LOG: main")));
        window = player->window();
        EXPECT_NE(window, 0u);
        return player;
    }

    void xdotool(const QStringList& args) { runTool(QStringLiteral("xdotool"), args); }

    void focus() { xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(window)}); }

    X11TestClient x11;
    quint32 window = 0;
};
