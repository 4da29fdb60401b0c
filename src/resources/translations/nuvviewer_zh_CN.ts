<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>HistogramPlot</name>
    <message>
        <source>X-axis</source>
        <translation>X轴</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>行</translation>
    </message>
    <message>
        <source>Column</source>
        <translation>列</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1：%2</translation>
    </message>
    <message>
        <source>   Gray: %1</source>
        <translation>   灰度：%1</translation>
    </message>
    <message>
        <source>   Red: %1</source>
        <translation>   红：%1</translation>
    </message>
    <message>
        <source>   Green: %1</source>
        <translation>   绿：%1</translation>
    </message>
    <message>
        <source>   Blue: %1</source>
        <translation>   蓝：%1</translation>
    </message>
</context>
<context>
    <name>Image2DWnd</name>
    <message>
        <source>Form</source>
        <translation>窗体</translation>
    </message>
    <message>
        <source>Start Grab</source>
        <translation>开始采集</translation>
    </message>
    <message>
        <source>Stop Grab</source>
        <translation>停止采集</translation>
    </message>
    <message>
        <source>Single Save</source>
        <translation>单帧保存</translation>
    </message>
    <message>
        <source>Multiframe Save</source>
        <translation>多帧保存</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>录像</translation>
    </message>
    <message>
        <source>Histogram</source>
        <translation>直方图</translation>
    </message>
    <message>
        <source>Show Cross</source>
        <translation>显示十字线</translation>
    </message>
    <message>
        <source>Show Grid</source>
        <translation>显示网格</translation>
    </message>
    <message>
        <source>Measure</source>
        <translation>测量</translation>
    </message>
    <message>
        <source>Zoom In</source>
        <translation>放大</translation>
    </message>
    <message>
        <source>Zoom Out</source>
        <translation>缩小</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>还原</translation>
    </message>
</context>
<context>
    <name>Image3DWnd</name>
    <message>
        <source>Form</source>
        <translation>窗体</translation>
    </message>
    <message>
        <source>Contour Mode</source>
        <translation>轮廓模式</translation>
    </message>
    <message>
        <source>2D Mode</source>
        <translation>2D模式</translation>
    </message>
    <message>
        <source>3D Mode</source>
        <translation>3D模式</translation>
    </message>
    <message>
        <source>3D Show</source>
        <translation>3D显示</translation>
    </message>
    <message>
        <source>2D RangeImage Show</source>
        <translation>2D深度图显示</translation>
    </message>
    <message>
        <source>Grey Show</source>
        <translation>灰度图显示</translation>
    </message>
    <message>
        <source>Single Grab</source>
        <translation>单帧采集</translation>
    </message>
    <message>
        <source>Start Grab</source>
        <translation>开始采集</translation>
    </message>
    <message>
        <source>Stop Grab</source>
        <translation>停止采集</translation>
    </message>
    <message>
        <source>Single Save</source>
        <translation>单帧保存</translation>
    </message>
    <message>
        <source>Multiframe Save</source>
        <translation>多帧保存</translation>
    </message>
    <message>
        <source>3D Rendering</source>
        <translation>3D渲染</translation>
    </message>
    <message>
        <source>Zoom In</source>
        <translation>放大</translation>
    </message>
    <message>
        <source>Zoom Out</source>
        <translation>缩小</translation>
    </message>
    <message>
        <source>1:1 Show</source>
        <translation>1:1显示</translation>
    </message>
    <message>
        <source>Fit</source>
        <translation>适应窗口</translation>
    </message>
</context>
<context>
    <name>ImageWnd</name>
    <message>
        <source>Frame</source>
        <translation>窗格</translation>
    </message>
    <message>
        <source>No Camera</source>
        <translation>无相机</translation>
    </message>
</context>
<context>
    <name>ProfilePlot</name>
    <message>
        <source>Left</source>
        <translation>左</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>右</translation>
    </message>
</context>
</TS>
