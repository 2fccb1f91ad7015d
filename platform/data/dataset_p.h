// The private state of TDataSet: what it holds in memory beside its state. Only the
// engine's own files include this (the dataset, and the fields, data sources and
// databases it is friends with).
#pragma once

#include "platform/data/dataset.h"
#include "platform/data/record_window.h"
#include "platform/data/update_cache.h"

#include <map>
#include <memory>
#include <optional>
#include <vector>

struct TDataSetPrivate final : TRecordSource {
    explicit TDataSetPrivate(TDataSet* owner) : q(owner) {}

    // The window reads through the dataset's storage hooks.
    QVector<QVector<QVariant>> ReadRows(const QVector<QVariant>* key, bool forward, bool inclusive,
                                        int count) override;
    bool InView(const QVector<QVariant>& values) const override;
    TRecord MakeRecord(const QVector<QVariant>& values, int entry) override;
    int PageSize() const override;

    TDataSet* q;
    TDatabase* Database = nullptr;
    std::vector<TField*> Fields;
    std::vector<std::unique_ptr<TField>> OwnedFields;
    int CalcCount = 0;

    bool CachedUpdates = false;
    TUpdateCache Cache;
    TRecordWindow Window{*this, Cache};

    TRecord EditRec;       // the buffer of an edit or insert, or of a key being set
    TRecord EditOriginal;  // the record as it was before the edit
    bool Modified = false;
    const TRecord* CalcRec = nullptr; // record being calculated or looked up

    // Records found by this dataset's lookup fields, per lookup dataset: valid while
    // that dataset has not changed (its Generation) and until this one reads again,
    // so a page of records whose keys repeat asks the storage once per key.
    struct TLookupCache {
        quint64 Generation = 0;
        std::map<QByteArray, std::optional<TRecord>> Found; // empty: no match
    };
    std::map<const TDataSet*, TLookupCache> LookupCache;
    // Bumped on every change a data source hears of, and on open and close.
    quint64 Generation = 0;

    int DisableCount = 0;
    bool PendingDataChange = false;
    TDataSetState DisableState = dsInactive; // the state controls last saw
    std::vector<TDataSource*> Sources;
};
