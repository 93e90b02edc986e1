#include "catalog/product_record.h"

#include "net/text.h"

namespace orvane {

namespace {

using Member = std::string ProductFields::*;

struct FieldSpec {
    Member member;
    std::size_t recordCapacity;
    std::size_t entryCapacity;
};

const FieldSpec kFields[ProductRecord::kFieldCount] = {
    {&ProductFields::productId, 16, 20},    {&ProductFields::name, 100, 100},
    {&ProductFields::price, 6, 10},         {&ProductFields::spare3, 10, 10},
    {&ProductFields::description, 15000, 15000}, {&ProductFields::summary, 200, 200},
    {&ProductFields::categories, 150, 150}, {&ProductFields::hidden, 3, 3},
    {&ProductFields::spare8, 2, 2},         {&ProductFields::spare9, 150, 100},
    {&ProductFields::spare10, 150, 100},    {&ProductFields::spare11, 100, 11},
    {&ProductFields::salePrice, 6, 10},     {&ProductFields::spare13, 4, 4},
    {&ProductFields::cartCode, 2, 2},       {&ProductFields::spare15, 2, 2},
    {&ProductFields::supportUrl, 255, 255}, {&ProductFields::spare17, 2, 1},
    {&ProductFields::bundleOffer, 180, 180},
};

}  // namespace

ProductRecord ProductRecord::fromFields(const std::vector<std::string>& fields) {
    ProductRecord record;
    for (int i = 0; i < kFieldCount && i < static_cast<int>(fields.size()); ++i)
        record.*kFields[i].member = cutTo(fields[i], kFields[i].recordCapacity);
    return record;
}

ProductEntry ProductEntry::fromRecord(const ProductRecord& record) {
    ProductEntry entry;
    for (const FieldSpec& f : kFields) entry.*f.member = cutTo(record.*f.member, f.entryCapacity);
    return entry;
}

}  // namespace orvane
