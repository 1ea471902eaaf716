#include "DemoDesktop/KeyCodes.h"

#include "Platform/InputState.h"

#include <array>
#include <utility>

namespace pellacor::demo {

namespace {

// The key codes of the US layout, by position.
constexpr std::array<std::pair<int, std::uint32_t>, 50> keys{{
    {Qt::Key_A, 0x00},      {Qt::Key_S, 0x01},   {Qt::Key_D, 0x02},     {Qt::Key_F, 0x03},
    {Qt::Key_H, 0x04},      {Qt::Key_G, 0x05},   {Qt::Key_Z, 0x06},     {Qt::Key_X, 0x07},
    {Qt::Key_C, 0x08},      {Qt::Key_V, 0x09},   {Qt::Key_B, 0x0B},     {Qt::Key_Q, 0x0C},
    {Qt::Key_W, 0x0D},      {Qt::Key_E, 0x0E},   {Qt::Key_R, 0x0F},     {Qt::Key_Y, 0x10},
    {Qt::Key_T, 0x11},      {Qt::Key_1, 0x12},   {Qt::Key_2, 0x13},     {Qt::Key_3, 0x14},
    {Qt::Key_4, 0x15},      {Qt::Key_6, 0x16},   {Qt::Key_5, 0x17},     {Qt::Key_9, 0x19},
    {Qt::Key_7, 0x1A},      {Qt::Key_8, 0x1C},   {Qt::Key_0, 0x1D},     {Qt::Key_O, 0x1F},
    {Qt::Key_U, 0x20},      {Qt::Key_I, 0x22},   {Qt::Key_P, 0x23},     {Qt::Key_Return, 0x24},
    {Qt::Key_L, 0x25},      {Qt::Key_J, 0x26},   {Qt::Key_K, 0x28},     {Qt::Key_N, 0x2D},
    {Qt::Key_M, 0x2E},      {Qt::Key_Tab, 0x30}, {Qt::Key_Space, 0x31}, {Qt::Key_Backspace, 0x33},
    {Qt::Key_Escape, 0x35}, {Qt::Key_F1, 0x7A},  {Qt::Key_F2, 0x78},    {Qt::Key_F3, 0x63},
    {Qt::Key_F4, 0x76},     {Qt::Key_F5, 0x60},  {Qt::Key_Left, 0x7B},  {Qt::Key_Right, 0x7C},
    {Qt::Key_Down, 0x7D},   {Qt::Key_Up, 0x7E},
}};

constexpr std::uint32_t cmdKey = 0x0100;
constexpr std::uint32_t shiftKey = 0x0200;
constexpr std::uint32_t optionKey = 0x0800;
constexpr std::uint32_t controlKey = 0x1000;

} // namespace

std::optional<std::uint32_t> KeyCodes::virtualKeyCode(int qtKey) {
    for (const auto& [key, code] : keys) {
        if (key == qtKey) {
            return code;
        }
    }
    return std::nullopt;
}

std::uint32_t KeyCodes::hotKeyModifiers(Qt::KeyboardModifiers modifiers) {
    std::uint32_t bits = 0;
    bits |= modifiers.testFlag(Qt::ControlModifier) ? cmdKey : 0;
    bits |= modifiers.testFlag(Qt::ShiftModifier) ? shiftKey : 0;
    bits |= modifiers.testFlag(Qt::AltModifier) ? optionKey : 0;
    bits |= modifiers.testFlag(Qt::MetaModifier) ? controlKey : 0;
    return bits;
}

std::uint64_t KeyCodes::modifierFlags(Qt::KeyboardModifiers modifiers) {
    using platform::InputState;
    std::uint64_t flags = 0;
    flags |= modifiers.testFlag(Qt::ControlModifier) ? InputState::commandFlag : 0;
    flags |= modifiers.testFlag(Qt::ShiftModifier) ? InputState::shiftFlag : 0;
    flags |= modifiers.testFlag(Qt::AltModifier) ? InputState::optionFlag : 0;
    flags |= modifiers.testFlag(Qt::MetaModifier) ? InputState::controlFlag : 0;
    return flags;
}

} // namespace pellacor::demo
