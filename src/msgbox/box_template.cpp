#include "msgbox/box_template.h"

namespace orvane {

BoxItem::~BoxItem() = default;
BoxTemplate::~BoxTemplate() = default;

bool BoxTemplate::addItem(BoxItem item) {
    if (items.size() >= kMaxBoxItems) return false;
    items.push_back(std::move(item));
    return true;
}

const BoxItem* BoxTemplate::findItem(std::uint16_t id) const {
    for (const BoxItem& item : items)
        if (item.id == id) return &item;
    return nullptr;
}

bool BoxTemplate::isButton(std::uint16_t id) const {
    const BoxItem* item = findItem(id);
    return item && item->classAtom == kButtonClass;
}

std::optional<int> BoxTemplate::resultForCommand(int id) const {
    if (id == kIdCancel) {
        if (hasCancel) return kIdCancel;
        if (okAlone) return kIdOk;
        return std::nullopt;
    }
    if (id > 0 && id <= 0xFFFF && isButton(static_cast<std::uint16_t>(id))) return id;
    return std::nullopt;
}

std::u16string widenLatin1(const std::string& text) {
    std::u16string wide;
    wide.reserve(text.size());
    for (char c : text) wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    return wide;
}

namespace {

void put16(std::vector<std::uint16_t>& out, std::uint16_t value) { out.push_back(value); }

void put32(std::vector<std::uint16_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint16_t>(value & 0xFFFF));
    out.push_back(static_cast<std::uint16_t>(value >> 16));
}

void putText(std::vector<std::uint16_t>& out, const std::u16string& text, std::size_t maxChars) {
    std::size_t n = text.size() < maxChars ? text.size() : maxChars;
    for (std::size_t i = 0; i < n; ++i) out.push_back(static_cast<std::uint16_t>(text[i]));
    out.push_back(0);
}

}  // namespace

std::vector<std::uint16_t> serializeBoxTemplate(const BoxTemplate& box, const WideConverter& widen) {
    const WideConverter& toWide = widen ? widen : WideConverter(widenLatin1);
    std::vector<std::uint16_t> out;
    put32(out, box.style);
    put32(out, box.exStyle);
    put16(out, static_cast<std::uint16_t>(box.items.size()));
    put16(out, static_cast<std::uint16_t>(box.x));
    put16(out, static_cast<std::uint16_t>(box.y));
    put16(out, static_cast<std::uint16_t>(box.cx));
    put16(out, static_cast<std::uint16_t>(box.cy));
    put16(out, 0);  // no menu
    put16(out, 0);  // the default dialog class
    putText(out, toWide(box.caption), kMaxTitleChars);
    for (const BoxItem& item : box.items) {
        if (out.size() % 2 != 0) put16(out, 0);  // each item starts on a 4-byte boundary
        put32(out, item.style);
        put32(out, item.exStyle);
        put16(out, static_cast<std::uint16_t>(item.x));
        put16(out, static_cast<std::uint16_t>(item.y));
        put16(out, static_cast<std::uint16_t>(item.cx));
        put16(out, static_cast<std::uint16_t>(item.cy));
        put16(out, item.id);
        put16(out, 0xFFFF);
        put16(out, item.classAtom);
        putText(out, toWide(item.text), kMaxBoxTextChars);
        put16(out, 0);  // no creation data
    }
    return out;
}

}  // namespace orvane
