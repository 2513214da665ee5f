#pragma once

// Puts a member back when the step that changed it returns or throws.
template <class T>
class Restore {
  public:
    Restore(T& member, T value) : member_(member), saved_(member) { member_ = value; }
    Restore(const Restore&) = delete;
    Restore& operator=(const Restore&) = delete;
    ~Restore() { member_ = saved_; }

  private:
    T& member_;
    T saved_;
};
