#include "app/Session.h"

TSession::TSession(QObject* parent) : QObject(parent) {}

void TSession::setReference(const TParamImage& image, const QString& origin) {
    reference_ = image;
    edited_ = image;
    origin_ = origin;
    hasReference_ = true;
    undo_.clear();
    redo_.clear();
    lastSource_ = nullptr;
    emit referenceChanged();
    emit changesChanged();
}

void TSession::edit(const TParamImage& image, const void* source) {
    if (image == edited_) return;
    // Keystrokes in one field are one step: the field's value before the user came to it.
    if (source == nullptr || source != lastSource_ || undo_.empty()) undo_.push_back(edited_);
    lastSource_ = source;
    redo_.clear();
    edited_ = image;
    emit changesChanged();
}

void TSession::setEdited(const TParamImage& image) {
    lastSource_ = nullptr;
    if (image == edited_) return;
    edited_ = image;
    emit changesChanged();
}

std::vector<const qv7::ParamRow*> TSession::changedRows() const {
    std::vector<const qv7::ParamRow*> rows;
    for (const qv7::ParamRow& row : qv7::paramTable())
        if (row.onPage && qv7::rawValue(row, reference_) != qv7::rawValue(row, edited_)) rows.push_back(&row);
    return rows;
}

void TSession::replaceEdited(const TParamImage& image) {
    edited_ = image;
    lastSource_ = nullptr;
    emit editedRestored();
    emit changesChanged();
}

bool TSession::undo() {
    if (undo_.empty()) return false;
    redo_.push_back(edited_);
    const TParamImage previous = undo_.back();
    undo_.pop_back();
    replaceEdited(previous);
    return true;
}

bool TSession::redo() {
    if (redo_.empty()) return false;
    undo_.push_back(edited_);
    const TParamImage next = redo_.back();
    redo_.pop_back();
    replaceEdited(next);
    return true;
}

bool TSession::revert() {
    if (edited_ == reference_) return false;
    undo_.push_back(edited_);
    redo_.clear();
    replaceEdited(reference_);
    return true;
}

void TSession::setTransfer(Transfer transfer) {
    if (transfer == transfer_) return;
    transfer_ = transfer;
    emit transferChanged(transfer);
}
