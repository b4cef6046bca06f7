#include "settings/shadowed_keys.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <limits>
#include <new>
#include <string_view>

#include "base/code_page.h"

namespace zv {
namespace {

using Node = uint32_t;
constexpr Node kRoot = 0, kNoNode = std::numeric_limits<Node>::max();
using Line = uint32_t;  // a line's index, kept small: there is one of each per node
constexpr Line kNever = std::numeric_limits<Line>::max();

// An Aho–Corasick automaton over the keys' bytes. Each node is the prefix of some key; a
// node that is a whole key knows the first line with that key.
class KeyAutomaton {
public:
    // Room for `bytes` bytes of keys: at most one node each, so the nodes are never moved.
    explicit KeyAutomaton(size_t bytes) { nodes_.reserve(bytes + 1); }

    void Add(std::string_view key, Line line) {
        Node node = kRoot;
        for (unsigned char byte : key) {
            Node child = Child(node, byte);
            if (child == kNoNode) child = NewChild(node, byte);
            node = child;
        }
        if (nodes_[node].first_line == kNever) nodes_[node].first_line = line;
    }

    // The failure links (the longest proper suffix that is a node), the output links (the
    // longest proper suffix that is a key) and the earliest line along each output chain.
    void Link() {
        std::deque<Node> queue;
        for (Node child = nodes_[kRoot].first_child; child != kNoNode; child = nodes_[child].next_sibling) {
            nodes_[child].fail = kRoot;
            queue.push_back(child);
        }
        nodes_[kRoot].earliest = nodes_[kRoot].first_line;
        while (!queue.empty()) {
            const Node node = queue.front();
            queue.pop_front();
            const NodeData& at = nodes_[node];
            const NodeData& fail = nodes_[at.fail];
            nodes_[node].output = fail.first_line != kNever ? at.fail : fail.output;
            nodes_[node].earliest = std::min(at.first_line, fail.earliest);
            for (Node child = at.first_child; child != kNoNode; child = nodes_[child].next_sibling) {
                nodes_[child].fail = Step(nodes_[node].fail, nodes_[child].byte);
                queue.push_back(child);
            }
        }
    }

    // True when a key first seen before `line` occurs in `key` starting on a character.
    bool HoldsEarlierKey(std::string_view key, const SearchedText& starts, Line line) const {
        Node state = kRoot;
        for (size_t end = 0; end < key.size(); ++end) {
            state = Step(state, static_cast<unsigned char>(key[end]));
            // The keys that end here: the state itself, then its output chain, each shorter.
            for (Node found = state; found != kNoNode && nodes_[found].earliest < line;
                 found = nodes_[found].output) {
                const NodeData& n = nodes_[found];
                if (n.first_line < line && starts.IsCharacterStart(end + 1 - n.depth)) return true;
            }
        }
        return false;
    }

private:
    struct NodeData {
        Node first_child = kNoNode, next_sibling = kNoNode;
        Node fail = kRoot, output = kNoNode;
        Line first_line = kNever;  // when this node is a whole key
        Line earliest = kNever;    // the least first_line of this node and its output chain
        uint32_t depth = 0;
        unsigned char byte = 0;
    };

    Node Child(Node node, unsigned char byte) const {
        if (node == kRoot) return root_children_[byte];
        for (Node child = nodes_[node].first_child; child != kNoNode; child = nodes_[child].next_sibling)
            if (nodes_[child].byte == byte) return child;
        return kNoNode;
    }

    Node NewChild(Node parent, unsigned char byte) {
        if (nodes_.size() >= kNoNode) throw std::bad_alloc();
        const Node child = static_cast<Node>(nodes_.size());
        NodeData data;
        data.byte = byte;
        data.depth = nodes_[parent].depth + 1;
        data.next_sibling = nodes_[parent].first_child;
        nodes_.push_back(data);
        nodes_[parent].first_child = child;
        if (parent == kRoot) root_children_[byte] = child;
        return child;
    }

    // The goto function, falling back along the failure links.
    Node Step(Node state, unsigned char byte) const {
        for (;;) {
            const Node child = Child(state, byte);
            if (child != kNoNode) return child;
            if (state == kRoot) return kRoot;
            state = nodes_[state].fail;
        }
    }

    std::vector<NodeData> nodes_ = std::vector<NodeData>(1);
    std::vector<Node> root_children_ = std::vector<Node>(256, kNoNode);
};

}  // namespace

std::vector<size_t> ShadowedLines(const MapLines& lines, const CodePage& cp) {
    if (lines.size() >= kNever) throw std::bad_alloc();
    size_t bytes = 0;
    for (const auto& line : lines) bytes += KeyViewOf(line).size();
    KeyAutomaton automaton(bytes);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view key = KeyViewOf(lines[i]);
        if (!key.empty()) automaton.Add(key, static_cast<Line>(i));  // an empty key never occurs
    }
    automaton.Link();
    std::vector<size_t> shadowed;
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string_view key = KeyViewOf(lines[i]);
        if (key.empty()) continue;
        if (automaton.HoldsEarlierKey(key, SearchedText(key, cp), static_cast<Line>(i))) shadowed.push_back(i);
    }
    return shadowed;
}

}  // namespace zv
