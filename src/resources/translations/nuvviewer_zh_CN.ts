<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>GreyHistogramDialog</name>
    <message>
        <source>Histogram</source>
        <translation>直方图</translation>
    </message>
</context>
<context>
    <name>GreyHistogramTool</name>
    <message>
        <source>Histogram</source>
        <translation>直方图</translation>
    </message>
</context>
<context>
    <name>GreyHistogramWidget</name>
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
    <message>
        <source>Red</source>
        <translation>红色</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>绿色</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>蓝色</translation>
    </message>
    <message>
        <source>View</source>
        <translation>查看</translation>
    </message>
    <message>
        <source>Histogram</source>
        <translation>直方图</translation>
    </message>
    <message>
        <source>Line Peofile</source>
        <translation>行剖面</translation>
    </message>
    <message>
        <source>Column Profile</source>
        <translation>列剖面</translation>
    </message>
    <message>
        <source>ROI Shape</source>
        <translation>ROI形状</translation>
    </message>
    <message>
        <source>Local ROI</source>
        <translation>局部ROI</translation>
    </message>
    <message>
        <source>Global ROI</source>
        <translation>全局ROI</translation>
    </message>
    <message>
        <source>CenterX</source>
        <translation>中心X</translation>
    </message>
    <message>
        <source>CenterY</source>
        <translation>中心Y</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>宽度</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>高度</translation>
    </message>
    <message>
        <source>Measure Position</source>
        <translation>测量位置</translation>
    </message>
    <message>
        <source>PosX</source>
        <translation>X坐标</translation>
    </message>
    <message>
        <source>PosY</source>
        <translation>Y坐标</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>确认</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>通道</translation>
    </message>
    <message>
        <source>MinGrey</source>
        <translation>最小灰度</translation>
    </message>
    <message>
        <source>MaxGrey</source>
        <translation>最大灰度</translation>
    </message>
    <message>
        <source>AverageGrey</source>
        <translation>平均灰度</translation>
    </message>
    <message>
        <source>Std.Deviation</source>
        <translation>标准差</translation>
    </message>
    <message>
        <source>Grey</source>
        <translation>灰度</translation>
    </message>
</context>
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
    <name>HistogramSubFrame</name>
    <message>
        <source>Enlarge</source>
        <translation>放大显示</translation>
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
