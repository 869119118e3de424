// Doubly linked lists whose nodes live in host memory, optionally drawn from
// a NodePool. Heap blocks refer to their free-list node by its numeric id
// only, so a block header (which bytecode can overwrite) never holds a host
// pointer: the id is looked up and checked against the pool before use.
#pragma once

#include "Vec.h"

#include <memory>

template <class T>
struct ListEntry {
    TInt32 id = -1; // -1 for nodes that do not come from a pool
    ListEntry* previous = nullptr;
    T data{};
    ListEntry* next = nullptr;
};

template <class T>
using LinkedListIterator = ListEntry<T>*;

// Hands out nodes in blocks of 256: a node id's block is id >> 8 and its slot
// id & 255. A released id is the next one handed out.
template <class T>
class NodePool {
public:
    static constexpr int BLOCK = 256;

    NodePool() = default;
    NodePool(const NodePool&) = delete;
    NodePool& operator=(const NodePool&) = delete;
    ~NodePool()
    {
        for (Block* block : blocks)
            delete block;
    }

    ListEntry<T>* acquire()
    {
        if (freeIds.isEmpty())
            addBlock();
        const TInt32 id = freeIds.last();
        freeIds.removeLast();
        Block* block = blocks[id >> 8];
        block->inUse[id & 255] = true;
        ListEntry<T>* node = &block->nodes[id & 255];
        node->previous = node->next = nullptr;
        node->data = T{};
        return node;
    }

    void release(ListEntry<T>* node)
    {
        blocks[node->id >> 8]->inUse[node->id & 255] = false;
        freeIds.append(node->id);
    }

    // The node with this id when it is handed out, else null: ids read from
    // untrusted memory go through here.
    ListEntry<T>* find(TInt64 id) const
    {
        if (id < 0 || (id >> 8) >= blocks.size())
            return nullptr;
        Block* block = blocks.data()[id >> 8];
        return block->inUse[id & 255] ? &block->nodes[id & 255] : nullptr;
    }

    int nodesInUse() const { return blocks.size() * BLOCK - freeIds.size(); }

private:
    struct Block {
        ListEntry<T> nodes[BLOCK];
        bool inUse[BLOCK] = {};
    };

    void addBlock()
    {
        auto block = std::make_unique<Block>();
        const TInt32 first = blocks.size() * BLOCK;
        for (int i = 0; i < BLOCK; ++i)
            block->nodes[i].id = first + i;
        blocks.append(block.get());
        block.release();
        freeIds.reserve(freeIds.size() + BLOCK);
        // Pushed in reverse so that the lowest id is handed out first.
        for (int i = BLOCK - 1; i >= 0; --i)
            freeIds.append(first + i);
    }

    Vec<Block*> blocks;
    Vec<TInt32> freeIds;
};

template <class T>
class LinkedList {
public:
    explicit LinkedList(NodePool<T>* pool = nullptr) : pool(pool) {}
    LinkedList(const LinkedList&) = delete;
    LinkedList& operator=(const LinkedList&) = delete;
    ~LinkedList() { clear(); }

    int count() const { return count_; }
    bool isEmpty() const { return count_ == 0; }
    LinkedListIterator<T> first() const { return head; }
    LinkedListIterator<T> lastNode() const { return tail; }

    LinkedListIterator<T> append(const T& value)
    {
        ListEntry<T>* node = pool ? pool->acquire() : new ListEntry<T>();
        node->data = value;
        linkAtTail(node);
        return node;
    }

    // Links a detached node (one taken out with unlink) at the tail.
    void linkAtTail(ListEntry<T>* node)
    {
        node->next = nullptr;
        node->previous = tail;
        if (tail)
            tail->next = node;
        else
            head = node;
        tail = node;
        ++count_;
    }

    // Unlinks `node` (which must belong to this list) but keeps it for the
    // caller, who links it elsewhere or gives it back; returns its successor.
    LinkedListIterator<T> unlink(LinkedListIterator<T> node)
    {
        ListEntry<T>* following = node->next;
        if (node->previous)
            node->previous->next = following;
        else
            head = following;
        if (following)
            following->previous = node->previous;
        else
            tail = node->previous;
        --count_;
        return following;
    }

    // Moves `node` (which must belong to this list) to the tail.
    void moveToTail(ListEntry<T>* node)
    {
        unlink(node);
        linkAtTail(node);
    }

    // Unlinks `node` (which must belong to this list) and returns its successor.
    LinkedListIterator<T> remove(LinkedListIterator<T> node)
    {
        ListEntry<T>* following = unlink(node);
        if (pool)
            pool->release(node);
        else
            delete node;
        return following;
    }

    void clear()
    {
        while (head)
            remove(head);
    }

private:
    NodePool<T>* pool;
    ListEntry<T>* head = nullptr;
    ListEntry<T>* tail = nullptr;
    int count_ = 0;
};
