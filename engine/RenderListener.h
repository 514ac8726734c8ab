// Told of every node that finishes its Update during a render.
#pragma once

class RenderListener {
public:
    virtual ~RenderListener() = default;
    virtual void NodeDone() = 0;
    virtual void NodeProgress(int done, int total) = 0;
};

class NullRenderListener : public RenderListener {
public:
    void NodeDone() override {}
    void NodeProgress(int, int) override {}
};

// The program-wide listener. Null installs a do-nothing listener; the caller
// keeps ownership of the one it installs.
void SetRenderListener(RenderListener* listener);
RenderListener& GetRenderListener();
