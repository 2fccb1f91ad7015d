// The cache of changes (update_cache.h).
#include "platform/data/update_cache.h"

#include "platform/data/key_values.h"

#include <QDataStream>
#include <QIODevice>

QByteArray TUpdateCache::Identity(const QVector<QVariant>& values) const
{
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    for (int c : FKeyColumns)
        WriteKeyValue(s, values.value(c));
    return out;
}

void TUpdateCache::Clear()
{
    // FNextId goes on counting: records read before still carry the old ids.
    FEntries.clear();
    FByIdentity.clear();
}

int TUpdateCache::Add(TUpdateKind kind, const QVector<QVariant>& oldValues, const QVector<QVariant>& newValues,
                      int entry)
{
    auto it = FEntries.find(entry);
    if (it != FEntries.end()) {
        TCacheEntry& e = it->second;
        if (kind == ukModify) {
            e.NewValues = newValues;
        } else if (kind == ukDelete) {
            if (e.Kind == ukInsert) {
                FEntries.erase(it);
                return -1;
            }
            e.Kind = ukDelete;
            e.NewValues.clear();
        }
        return entry;
    }
    int id = FNextId++;
    TCacheEntry e;
    e.Kind = kind;
    e.OldValues = oldValues;
    e.NewValues = newValues;
    FEntries[id] = e;
    if (kind != ukInsert)
        FByIdentity[Identity(oldValues)] = id;
    return id;
}

const TCacheEntry* TUpdateCache::Find(int entry) const
{
    auto it = FEntries.find(entry);
    return it == FEntries.end() ? nullptr : &it->second;
}

bool TUpdateCache::Hides(const QVector<QVariant>& row) const
{
    return !FByIdentity.empty() && FByIdentity.count(Identity(row)) != 0;
}

std::vector<int> TUpdateCache::Pending() const
{
    std::vector<int> ids;
    for (const auto& [id, e] : FEntries)
        if (!e.Applied && !e.Skipped)
            ids.push_back(id);
    return ids;
}

void TUpdateCache::MarkApplied(int entry)
{
    if (auto it = FEntries.find(entry); it != FEntries.end())
        it->second.Applied = true;
}

void TUpdateCache::MarkSkipped(int entry)
{
    if (auto it = FEntries.find(entry); it != FEntries.end())
        it->second.Skipped = true;
}

void TUpdateCache::ResetApplyMarks()
{
    for (auto& [id, e] : FEntries)
        e.Applied = e.Skipped = false;
}
