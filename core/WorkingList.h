#pragma once

#include <QAbstractListModel>
#include <QList>

#include "core/ImageEntry.h"

// The ordered list of images that the user imported and that the convert run writes in this
// order. A list model so that views follow it; it holds no rules of its own beyond keeping
// index and row in step. Only the GUI thread (or the batch run's only thread) changes it;
// workers see copies of entries and answer by EntryId.
class WorkingList : public QAbstractListModel {
    Q_OBJECT

public:
    static constexpr int kMaxEntries = 9999;

    enum Role {
        IdRole = Qt::UserRole + 1,
        SourcePathRole,
        WorkPathRole,
        SelectedRole,
        SavedRole,
        RenderedRole,
        ThumbnailRole,
    };

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(entries_.size()); }
    bool isEmpty() const { return entries_.isEmpty(); }
    const ImageEntry& at(int row) const { return entries_.at(row); }
    const QList<ImageEntry>& entries() const { return entries_; }

    // Appends the entry with a fresh id and index = the row it lands on; returns the id.
    EntryId Append(ImageEntry entry);
    // The row of an entry, or -1 when it is no longer in the list.
    int RowOf(EntryId id) const;
    void SetSaved(int row, bool saved);
    void SetName(int row, const QString& name);
    void SetSelected(int row, bool selected);
    // The renderer's result for an entry that may have moved meanwhile: false when the entry
    // is gone. A null image marks a file that could not be decoded.
    bool SetThumbnail(EntryId id, const QImage& thumbnail);
    // A turn by hand and the thumbnail turned with it.
    void SetTurn(int row, int quarterTurns, const QImage& thumbnail);
    // A new order (or a subset) of entries, ids kept; index is renumbered from 0.
    void ReplaceEntries(QList<ImageEntry> entries);

    // Raised when an image was refused because the list already held kMaxEntries; the
    // importers clear it before a batch and stop the batch once it is set.
    bool listFull() const { return listFull_; }
    void setListFull(bool full) { listFull_ = full; }

private:
    void EmitChanged(int row, int role);

    QList<ImageEntry> entries_;
    QHash<EntryId, int> rows_;  // id to row, kept in step with entries_
    EntryId nextId_ = 1;
    bool listFull_ = false;
};
