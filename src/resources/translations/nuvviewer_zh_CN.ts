<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CMessageBox</name>
    <message>
        <source>Confirm</source>
        <translation>确认</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>CameraPanel</name>
    <message>
        <source>%1 cannot be read: %2</source>
        <translation>无法读取 %1：%2</translation>
    </message>
    <message>
        <source>%1 was not accepted: %2</source>
        <translation>%1 未被接受：%2</translation>
    </message>
    <message>
        <source>The current pane has no camera</source>
        <translation>当前窗格没有相机</translation>
    </message>
    <message>
        <source>Camera: %1</source>
        <translation>相机：%1</translation>
    </message>
    <message>
        <source>Exposure (µs):</source>
        <translation>曝光（µs）：</translation>
    </message>
    <message>
        <source>Gain:</source>
        <translation>增益：</translation>
    </message>
    <message>
        <source>Line rate (Hz):</source>
        <translation>行频（Hz）：</translation>
    </message>
    <message>
        <source>Frame rate (fps):</source>
        <translation>帧率（fps）：</translation>
    </message>
    <message>
        <source>Trigger mode:</source>
        <translation>触发模式：</translation>
    </message>
    <message>
        <source>Pixel format:</source>
        <translation>像素格式：</translation>
    </message>
</context>
<context>
    <name>CameraRoiTool</name>
    <message>
        <source>ROI</source>
        <translation>ROI</translation>
    </message>
    <message>
        <source>Columns</source>
        <translation>列窗口</translation>
    </message>
    <message>
        <source>Mask %1</source>
        <translation>掩膜 %1</translation>
    </message>
    <message>
        <source>Reset to Full Sensor</source>
        <translation>重置为全传感器</translation>
    </message>
    <message>
        <source>Reset to All Columns</source>
        <translation>重置为全部列</translation>
    </message>
    <message>
        <source>Remove Mask</source>
        <translation>移除掩膜</translation>
    </message>
</context>
<context>
    <name>CorrectionDialog</name>
    <message>
        <source>Correction</source>
        <translation>校正</translation>
    </message>
</context>
<context>
    <name>CorrectionHostPanel</name>
    <message>
        <source>Connect the laser profiler, then press a correction: Scan contour, Register contour, put the two areas on flat parts and Confirm.</source>
        <translation>连接激光轮廓仪后按下一种校正：扫描轮廓、记录轮廓，把两个计算区域放在平坦处，然后确认。</translation>
    </message>
    <message>
        <source>Scene tilt (°):</source>
        <translation>场景倾斜 (°)：</translation>
    </message>
    <message>
        <source>Block step (mm):</source>
        <translation>工件台阶高度 (mm)：</translation>
    </message>
    <message>
        <source>Stop the conveyor at the block</source>
        <translation>传送带停在工件处</translation>
    </message>
    <message>
        <source>Tilt correction factor:</source>
        <translation>倾斜校正系数：</translation>
    </message>
    <message>
        <source>Height correction factor:</source>
        <translation>高度校正系数：</translation>
    </message>
    <message>
        <source>Tilt correction</source>
        <translation>倾斜校正</translation>
    </message>
    <message>
        <source>Height correction</source>
        <translation>高度校正</translation>
    </message>
</context>
<context>
    <name>CorrectionTool</name>
    <message>
        <source>High Correction</source>
        <translation>高度校正</translation>
    </message>
    <message>
        <source>Tilt Correction</source>
        <translation>倾斜校正</translation>
    </message>
</context>
<context>
    <name>CorrectionWidget</name>
    <message>
        <source>Scan contour</source>
        <translation>扫描轮廓</translation>
    </message>
    <message>
        <source>Register contour</source>
        <translation>记录轮廓</translation>
    </message>
    <message>
        <source>Calculation area 1:</source>
        <translation>计算区域1：</translation>
    </message>
    <message>
        <source>Left(mm):</source>
        <translation>左(mm)：</translation>
    </message>
    <message>
        <source>Right(mm):</source>
        <translation>右(mm)：</translation>
    </message>
    <message>
        <source>Calculation area 2:</source>
        <translation>计算区域2：</translation>
    </message>
    <message>
        <source>Current correction factor:</source>
        <translation>当前校正系数：</translation>
    </message>
    <message>
        <source>Measure value:</source>
        <translation>测量值：</translation>
    </message>
    <message>
        <source>Correction value:</source>
        <translation>校正值：</translation>
    </message>
    <message>
        <source>Correction factor:</source>
        <translation>校正系数：</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>确认</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>No valid data</source>
        <translation>无有效数据</translation>
    </message>
    <message>
        <source>Measure height:</source>
        <translation>测量高度：</translation>
    </message>
    <message>
        <source>Measure angle:</source>
        <translation>测量角度：</translation>
    </message>
    <message>
        <source>Correction height:</source>
        <translation>校正高度：</translation>
    </message>
    <message>
        <source>Correction angle:</source>
        <translation>校正角度：</translation>
    </message>
</context>
<context>
    <name>CrossConfigWidget</name>
    <message>
        <source>Width</source>
        <translation>宽度</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>颜色</translation>
    </message>
    <message>
        <source>Center</source>
        <translation>居中</translation>
    </message>
    <message>
        <source>Window coordinates</source>
        <translation>窗口坐标</translation>
    </message>
    <message>
        <source>Image coordinates</source>
        <translation>图像坐标</translation>
    </message>
    <message>
        <source>Position X</source>
        <translation>X坐标</translation>
    </message>
    <message>
        <source>Position Y</source>
        <translation>Y坐标</translation>
    </message>
</context>
<context>
    <name>DemoWindow</name>
    <message>
        <source>Pane %1 selected</source>
        <translation>已选中窗格 %1</translation>
    </message>
    <message>
        <source>Tick a camera to connect it</source>
        <translation>勾选相机即可连接</translation>
    </message>
    <message>
        <source>Devices</source>
        <translation>设备</translation>
    </message>
    <message>
        <source>Layout</source>
        <translation>布局</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>语言</translation>
    </message>
    <message>
        <source>Push frame to current pane</source>
        <translation>向当前窗格推送图像</translation>
    </message>
    <message>
        <source>Shows a host-made frame in the selected pane (switched to the 2D view)</source>
        <translation>在选中的窗格中显示主程序生成的图像（窗格切换为2D视图）</translation>
    </message>
    <message>
        <source>Pixel read-out on the image</source>
        <translation>在图像上显示像素信息</translation>
    </message>
    <message>
        <source>laser profiler</source>
        <translation>激光轮廓仪</translation>
    </message>
    <message>
        <source>area scan</source>
        <translation>面阵相机</translation>
    </message>
    <message>
        <source>%1 is in pane %2, which layout 1 does not show: choose layout 1x2 or 2x2, or drag the camera from the list onto the view</source>
        <translation>%1 在窗格 %2 中，布局1不显示该窗格：请选择1x2或2x2布局，或将相机从列表拖到视图上</translation>
    </message>
    <message>
        <source>%1 is shown in pane %2</source>
        <translation>%1 显示在窗格 %2 中</translation>
    </message>
    <message>
        <source>Value: %1</source>
        <translation>值：%1</translation>
    </message>
    <message>
        <source>RGB: %1, %2, %3</source>
        <translation>RGB：%1, %2, %3</translation>
    </message>
    <message>
        <source>Pane %1  X: %2  Y: %3  %4  Zoom: %5%</source>
        <translation>窗格 %1  X：%2  Y：%3  %4  缩放：%5%</translation>
    </message>
    <message>
        <source>No pane selected: the frame goes to pane 1</source>
        <translation>未选中窗格：图像发送到窗格1</translation>
    </message>
    <message>
        <source>Host frame %1</source>
        <translation>主程序图像 %1</translation>
    </message>
    <message>
        <source>Pane %1: acquisition started</source>
        <translation>窗格 %1：已开始采集</translation>
    </message>
    <message>
        <source>Pane %1: acquisition stopped</source>
        <translation>窗格 %1：已停止采集</translation>
    </message>
    <message>
        <source>no data</source>
        <translation>无数据</translation>
    </message>
    <message>
        <source>Camera</source>
        <translation>相机</translation>
    </message>
    <message>
        <source>Save settings</source>
        <translation>保存设置</translation>
    </message>
    <message>
        <source>Calibration</source>
        <translation>标定</translation>
    </message>
    <message>
        <source>NuvViewer</source>
        <translation>NuvViewer 相机查看器</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>文件(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>视图(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>帮助(&amp;H)</translation>
    </message>
    <message>
        <source>Current pane</source>
        <translation>当前窗格</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1（%2）</translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation>打开(&amp;O)...</translation>
    </message>
    <message>
        <source>&amp;Save current frame</source>
        <translation>保存当前帧(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Copy frame</source>
        <translation>复制帧(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>退出(&amp;Q)</translation>
    </message>
    <message>
        <source>Fit</source>
        <translation>适应窗口</translation>
    </message>
    <message>
        <source>1:1</source>
        <translation>1:1 显示</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>放大</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>缩小</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>开始</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>全屏</translation>
    </message>
    <message>
        <source>&amp;About NuvViewer</source>
        <translation>关于 NuvViewer(&amp;A)</translation>
    </message>
    <message>
        <source>Pane %1 cannot do that now</source>
        <translation>窗格 %1 现在无法执行此操作</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>About NuvViewer</source>
        <translation>关于 NuvViewer</translation>
    </message>
    <message>
        <source>NuvViewer %1

Shows, records and saves the images of area-scan cameras and laser profilers, and opens saved frames again.

Licensed under the Apache License 2.0.</source>
        <translation>NuvViewer %1

显示、录制并保存面阵相机和激光轮廓仪的图像，并可再次打开已保存的帧。

依据 Apache License 2.0 许可。</translation>
    </message>
    <message>
        <source>Pane %1 shows no picture to copy</source>
        <translation>窗格 %1 没有可复制的图像</translation>
    </message>
    <message>
        <source>Picture of pane %1 copied</source>
        <translation>已复制窗格 %1 的图像</translation>
    </message>
    <message>
        <source>Open a saved frame</source>
        <translation>打开已保存的帧</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>Every pane shows a camera: release one to open %1</source>
        <translation>每个窗格都在显示相机：请释放一个相机以打开 %1</translation>
    </message>
    <message>
        <source>%1 is too large to show</source>
        <translation>%1 太大，无法显示</translation>
    </message>
    <message>
        <source>%1 opened in pane %2</source>
        <translation>已在窗格 %2 中打开 %1</translation>
    </message>
</context>
<context>
    <name>DisplayRangeWidget</name>
    <message>
        <source>Display range</source>
        <translation>显示范围</translation>
    </message>
    <message>
        <source>Mode</source>
        <translation>模式</translation>
    </message>
    <message>
        <source>Automatic once</source>
        <translation>自动一次</translation>
    </message>
    <message>
        <source>Automatic, every frame</source>
        <translation>自动（每帧）</translation>
    </message>
    <message>
        <source>Fixed minimum and maximum</source>
        <translation>固定最小值和最大值</translation>
    </message>
    <message>
        <source>Percentiles, every frame</source>
        <translation>百分位（每帧）</translation>
    </message>
    <message>
        <source>Minimum</source>
        <translation>最小值</translation>
    </message>
    <message>
        <source>Maximum</source>
        <translation>最大值</translation>
    </message>
    <message>
        <source>Low percentile</source>
        <translation>低百分位</translation>
    </message>
    <message>
        <source>High percentile</source>
        <translation>高百分位</translation>
    </message>
    <message>
        <source>Gamma</source>
        <translation>伽马</translation>
    </message>
    <message>
        <source>Above 1 brightens the dark part of the range</source>
        <translation>大于 1 时提亮范围内的暗部</translation>
    </message>
    <message>
        <source>Pixels at or above the maximum are shown in this colour</source>
        <translation>达到或超过最大值的像素以此颜色显示</translation>
    </message>
    <message>
        <source>Mark saturated</source>
        <translation>标记饱和</translation>
    </message>
    <message>
        <source>Saturation colour</source>
        <translation>饱和颜色</translation>
    </message>
    <message>
        <source>Take the range from the next frame and keep it</source>
        <translation>从下一帧取得范围并保持</translation>
    </message>
    <message>
        <source>Auto once</source>
        <translation>自动一次</translation>
    </message>
</context>
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
        <source>Grey</source>
        <translation>灰度</translation>
    </message>
    <message>
        <source>Line Profile</source>
        <translation>行剖面</translation>
    </message>
    <message>
        <source>Center X</source>
        <translation>中心X</translation>
    </message>
    <message>
        <source>Center Y</source>
        <translation>中心Y</translation>
    </message>
    <message>
        <source>Position X</source>
        <translation>X坐标</translation>
    </message>
    <message>
        <source>Position Y</source>
        <translation>Y坐标</translation>
    </message>
    <message>
        <source>Min grey</source>
        <translation>最小灰度</translation>
    </message>
    <message>
        <source>Max grey</source>
        <translation>最大灰度</translation>
    </message>
    <message>
        <source>Average grey</source>
        <translation>平均灰度</translation>
    </message>
    <message>
        <source>Std. deviation</source>
        <translation>标准差</translation>
    </message>
</context>
<context>
    <name>GridConfigWidget</name>
    <message>
        <source>Line width</source>
        <translation>线宽</translation>
    </message>
    <message>
        <source>Line spacing</source>
        <translation>线间距</translation>
    </message>
    <message>
        <source>Line color</source>
        <translation>线颜色</translation>
    </message>
</context>
<context>
    <name>HeightColourBar</name>
    <message>
        <source>Z (mm)</source>
        <translation>Z (mm)</translation>
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
        <translation>放大</translation>
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
        <source>1:1 Show</source>
        <translation>1:1显示</translation>
    </message>
    <message>
        <source>Fit</source>
        <translation>适应窗口</translation>
    </message>
    <message>
        <source>Display range</source>
        <translation>显示范围</translation>
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
    <message>
        <source>%1 (stop the acquisition to change it)</source>
        <translation>%1（停止采集后才能切换）</translation>
    </message>
</context>
<context>
    <name>ImageMultiSaveInfoWidget</name>
    <message>
        <source>Form</source>
        <translation>窗体</translation>
    </message>
    <message>
        <source>Images</source>
        <translation>张图片</translation>
    </message>
    <message>
        <source>Cache usage rate</source>
        <translation>缓存使用率</translation>
    </message>
    <message>
        <source>Processed</source>
        <translation>已处理帧数</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>已丢弃帧数</translation>
    </message>
    <message>
        <source>finishing %1 frames</source>
        <translation>正在写完剩余 %1 帧</translation>
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
    <message>
        <source>Enlarge</source>
        <translation>放大窗格</translation>
    </message>
    <message>
        <source>Restore Layout</source>
        <translation>恢复布局</translation>
    </message>
</context>
<context>
    <name>ImageWndLabelView</name>
    <message>
        <source>invalid</source>
        <translation>无效</translation>
    </message>
    <message>
        <source>X: %1  Y: %2  Z: %3</source>
        <translation>X：%1  Y：%2  Z：%3</translation>
    </message>
    <message>
        <source>X: %1  Y: %2  Value: %3</source>
        <translation>X：%1  Y：%2  值：%3</translation>
    </message>
    <message>
        <source>no data</source>
        <translation>无数据</translation>
    </message>
</context>
<context>
    <name>MeasureLengthDialog</name>
    <message>
        <source>Measure Length</source>
        <translation>长度测量</translation>
    </message>
</context>
<context>
    <name>MeasureLengthWidget</name>
    <message>
        <source>One Pixel Length:</source>
        <translation>单像素长度：</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Pixel Start Point:</source>
        <translation>像素起点：</translation>
    </message>
    <message>
        <source>Pixel Stop Point:</source>
        <translation>像素终点：</translation>
    </message>
    <message>
        <source>Horizontal Length:</source>
        <translation>水平长度：</translation>
    </message>
    <message>
        <source>Vertical Length:</source>
        <translation>垂直长度：</translation>
    </message>
    <message>
        <source>Cartesian Length:</source>
        <translation>直线长度：</translation>
    </message>
    <message>
        <source>Enter a pixel length greater than 0, for example 0.05. Still measuring with %1.</source>
        <translation>请输入大于 0 的像素长度，例如 0.05。仍按 %1 测量。</translation>
    </message>
</context>
<context>
    <name>Nuv3DGraphics</name>
    <message>
        <source>%1 rejected (error %2)</source>
        <translation>%1 被拒绝（错误 %2）</translation>
    </message>
</context>
<context>
    <name>Nuv3DView</name>
    <message>
        <source>X (mm)</source>
        <translation>X (mm)</translation>
    </message>
    <message>
        <source>Y (mm)</source>
        <translation>Y (mm)</translation>
    </message>
    <message>
        <source>Z (mm)</source>
        <translation>Z (mm)</translation>
    </message>
</context>
<context>
    <name>Nuv3DWindow</name>
    <message>
        <source>3D display unavailable: OpenGL could not be initialised</source>
        <translation>3D显示不可用：无法初始化OpenGL</translation>
    </message>
    <message>
        <source>Fit</source>
        <translation>适应窗口</translation>
    </message>
    <message>
        <source>Show all points</source>
        <translation>显示全部点</translation>
    </message>
    <message>
        <source>Orthographic</source>
        <translation>正交</translation>
    </message>
    <message>
        <source>Switch between perspective and orthographic projection</source>
        <translation>在透视投影和正交投影之间切换</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>俯视</translation>
    </message>
    <message>
        <source>Front</source>
        <translation>前视</translation>
    </message>
    <message>
        <source>Side</source>
        <translation>侧视</translation>
    </message>
    <message>
        <source>View from this side</source>
        <translation>从此方向观察</translation>
    </message>
    <message>
        <source>View: %1</source>
        <translation>视角：%1</translation>
    </message>
    <message>
        <source>Point size</source>
        <translation>点大小</translation>
    </message>
    <message>
        <source>Point size in pixels</source>
        <translation>点的像素大小</translation>
    </message>
    <message>
        <source>Height colours</source>
        <translation>高度着色</translation>
    </message>
    <message>
        <source>Colour the points by height instead of their own colours</source>
        <translation>按高度为点着色，而不使用点自身的颜色</translation>
    </message>
    <message>
        <source>Fit to %1 points</source>
        <translation>已适应 %1 个点</translation>
    </message>
    <message>
        <source>Orthographic projection</source>
        <translation>正交投影</translation>
    </message>
    <message>
        <source>Perspective projection</source>
        <translation>透视投影</translation>
    </message>
    <message>
        <source>Rows %1 to %2 appended, %3 points</source>
        <translation>已追加第 %1 至 %2 行，共 %3 个点</translation>
    </message>
    <message>
        <source>%1 points</source>
        <translation>%1 个点</translation>
    </message>
    <message>
        <source>%1 points; 1 line in %2 shown to keep up with the scan</source>
        <translation>%1 个点；为跟上扫描，每 %2 行显示 1 行</translation>
    </message>
</context>
<context>
    <name>OverlayColor</name>
    <message>
        <source>Choose color</source>
        <translation>选择颜色</translation>
    </message>
</context>
<context>
    <name>PaneSaveCommands</name>
    <message>
        <source>Dir is not exist</source>
        <translation>目录不存在</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>确认</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Create dir failed!</source>
        <translation>创建目录失败！</translation>
    </message>
    <message>
        <source>Disk path error, please reselect.</source>
        <translation>磁盘路径错误，请重新选择。</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Disk is full, please reselect.</source>
        <translation>磁盘空间已满，请重新选择。</translation>
    </message>
    <message>
        <source>Save image failed. (Error cause: no valid data)</source>
        <translation>图像保存失败。（错误原因：无有效数据）</translation>
    </message>
    <message>
        <source>I know</source>
        <translation>我知道了</translation>
    </message>
    <message>
        <source>Save image failed. (Error cause: not start grab)</source>
        <translation>图像保存失败。（错误原因：未开始采集）</translation>
    </message>
    <message>
        <source>Recording failure, current frame rate is zero.</source>
        <translation>录像失败，当前帧率为零。</translation>
    </message>
    <message>
        <source>Save video failed. (Error cause: no valid data)</source>
        <translation>视频保存失败。（错误原因：无有效数据）</translation>
    </message>
    <message>
        <source>Video saved.</source>
        <translation>视频已保存。</translation>
    </message>
    <message>
        <source>Picture saved.</source>
        <translation>图片已保存。</translation>
    </message>
    <message>
        <source>View</source>
        <translation>查看</translation>
    </message>
    <message>
        <source>Picture saving failure!</source>
        <translation>图片保存失败！</translation>
    </message>
    <message>
        <source>Save File</source>
        <translation>保存文件</translation>
    </message>
    <message>
        <source>Select a folder</source>
        <translation>选择文件夹</translation>
    </message>
    <message>
        <source>BMP(*.bmp);;JPG(*.jpg);;PNG(*.png);;TIF(*.tif)</source>
        <translation>BMP文件(*.bmp);;JPG文件(*.jpg);;PNG文件(*.png);;TIF文件(*.tif)</translation>
    </message>
    <message>
        <source>CSV(*.csv);;BIN(*.bin);;PCD(*.pcd);;SRT(*.srt)</source>
        <translation>CSV文件(*.csv);;BIN文件(*.bin);;PCD文件(*.pcd);;SRT文件(*.srt)</translation>
    </message>
    <message>
        <source>BMP(*.bmp);;JPG(*.jpg);;PNG(*.png);;TIF(*.tif);;SRT(*.srt);;PCD(*.pcd);;PLY(*.ply)</source>
        <translation>BMP(*.bmp);;JPG(*.jpg);;PNG(*.png);;TIF(*.tif);;SRT(*.srt);;PCD(*.pcd);;PLY(*.ply)</translation>
    </message>
    <message>
        <source>;;CSV(*.csv);;BIN(*.bin);;OBJ(*.obj);;ECD(*.ecd);;JXR(*.jxr)</source>
        <translation>;;CSV(*.csv);;BIN(*.bin);;OBJ(*.obj);;ECD(*.ecd);;JXR(*.jxr)</translation>
    </message>
    <message>
        <source>This sensor measures 32-bit heights, which JXR cannot hold. Choose another range height format (TIF keeps all 32 bits).</source>
        <translation>该传感器测量32位高度，JXR无法保存。请选择其他高度格式（TIF可保留全部32位）。</translation>
    </message>
    <message>
        <source>%1 of %2 frames saved</source>
        <translation>已保存 %1 帧（共 %2 帧）</translation>
    </message>
    <message>
        <source>%1 discarded: the disk could not keep up</source>
        <translation>丢弃 %1 帧：磁盘写入速度跟不上</translation>
    </message>
    <message>
        <source>%1 failed: they could not be written, see the log</source>
        <translation>失败 %1 帧：无法写入，详见日志</translation>
    </message>
    <message>
        <source>No file manager is available to open %1. Copy the path to the clipboard instead?</source>
        <translation>没有可用的文件管理器来打开 %1。是否改为将路径复制到剪贴板？</translation>
    </message>
    <message>
        <source>Copy path</source>
        <translation>复制路径</translation>
    </message>
    <message>
        <source>1 frame saved to %1</source>
        <translation>已保存 1 帧到 %1</translation>
    </message>
    <message>
        <source>%1 frames saved to %2</source>
        <translation>已保存 %1 帧到 %2</translation>
    </message>
    <message>
        <source>Recordings cannot be saved as video on this system: its OpenCV has no FFmpeg video writer for FFV1. Choose a folder of frames as the recording format.</source>
        <translation>此系统无法将录像保存为视频：其 OpenCV 没有支持 FFV1 的 FFmpeg 视频写入器。请将录像格式选为帧文件夹。</translation>
    </message>
    <message>
        <source>the recording stopped at the first frame it could not write</source>
        <translation>录像在第一个无法写入的帧处停止</translation>
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
<context>
    <name>SaveSettingsPanel</name>
    <message>
        <source>Save folder:</source>
        <translation>保存文件夹：</translation>
    </message>
    <message>
        <source>Name files automatically</source>
        <translation>自动命名文件</translation>
    </message>
    <message>
        <source>Naming rule:</source>
        <translation>命名规则：</translation>
    </message>
    <message>
        <source>Prefix, time and number</source>
        <translation>前缀、时间和序号</translation>
    </message>
    <message>
        <source>Prefix and time</source>
        <translation>前缀和时间</translation>
    </message>
    <message>
        <source>Prefix and number</source>
        <translation>前缀和序号</translation>
    </message>
    <message>
        <source>Prefix:</source>
        <translation>前缀：</translation>
    </message>
    <message>
        <source>Pictures:</source>
        <translation>图片：</translation>
    </message>
    <message>
        <source>Profile heights:</source>
        <translation>轮廓高度：</translation>
    </message>
    <message>
        <source>Profile CSV as x,z pairs (mm)</source>
        <translation>轮廓 CSV 按 x,z 坐标对 (mm)</translation>
    </message>
    <message>
        <source>Save profile brightness (CSV)</source>
        <translation>保存轮廓亮度（CSV）</translation>
    </message>
    <message>
        <source>Scan heights:</source>
        <translation>扫描高度：</translation>
    </message>
    <message>
        <source>Scan brightness:</source>
        <translation>扫描亮度：</translation>
    </message>
    <message>
        <source>Frame limit:</source>
        <translation>帧数上限：</translation>
    </message>
    <message>
        <source>Queue size:</source>
        <translation>队列大小：</translation>
    </message>
    <message>
        <source>Recording folder:</source>
        <translation>录制文件夹：</translation>
    </message>
    <message>
        <source>Name recordings automatically</source>
        <translation>自动命名录制</translation>
    </message>
    <message>
        <source>Choose a folder</source>
        <translation>选择文件夹</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Recordings:</source>
        <translation>录像：</translation>
    </message>
    <message>
        <source>Folder of frames</source>
        <translation>帧文件夹</translation>
    </message>
    <message>
        <source>Lossless video (FFV1, .mkv)</source>
        <translation>无损视频 (FFV1, .mkv)</translation>
    </message>
</context>
<context>
    <name>SavedFileReader</name>
    <message>
        <source>no PCD header</source>
        <translation>没有 PCD 文件头</translation>
    </message>
    <message>
        <source>the PCD header is incomplete</source>
        <translation>PCD 文件头不完整</translation>
    </message>
    <message>
        <source>PCD data stored as "%1" is not supported</source>
        <translation>不支持以“%1”方式存储的 PCD 数据</translation>
    </message>
    <message>
        <source>the coordinates are not floating point</source>
        <translation>坐标不是浮点数</translation>
    </message>
    <message>
        <source>the points have no x, y and z</source>
        <translation>点没有 x、y 和 z 坐标</translation>
    </message>
    <message>
        <source>the file ends before its last point</source>
        <translation>文件在最后一个点之前结束</translation>
    </message>
    <message>
        <source>no PLY header</source>
        <translation>没有 PLY 文件头</translation>
    </message>
    <message>
        <source>a vertex property of this PLY is not supported</source>
        <translation>不支持此 PLY 的某个顶点属性</translation>
    </message>
    <message>
        <source>the PLY has no vertices</source>
        <translation>此 PLY 没有顶点</translation>
    </message>
    <message>
        <source>PLY data stored as "%1" is not supported</source>
        <translation>不支持以“%1”方式存储的 PLY 数据</translation>
    </message>
    <message>
        <source>%1 cannot be opened: %2</source>
        <translation>无法打开 %1：%2</translation>
    </message>
    <message>
        <source>Saved frames (*.bmp *.png *.jpg *.jpeg *.tif *.tiff *.pcd *.ply *.srt *.ecd *.mri);;Pictures (*.bmp *.png *.jpg *.jpeg *.tif *.tiff);;Range images and point clouds (*.tif *.tiff *.srt *.ecd *.mri *.pcd *.ply);;All files (*)</source>
        <translation>已保存的帧 (*.bmp *.png *.jpg *.jpeg *.tif *.tiff *.pcd *.ply *.srt *.ecd *.mri);;图像 (*.bmp *.png *.jpg *.jpeg *.tif *.tiff);;深度图和点云 (*.tif *.tiff *.srt *.ecd *.mri *.pcd *.ply);;所有文件 (*)</translation>
    </message>
    <message>
        <source>there is no such file</source>
        <translation>没有这个文件</translation>
    </message>
    <message>
        <source>it is not a picture this application reads</source>
        <translation>它不是本程序可读取的图像</translation>
    </message>
    <message>
        <source>its pixel format is not supported</source>
        <translation>不支持其像素格式</translation>
    </message>
    <message>
        <source>its samples cannot be read</source>
        <translation>无法读取其采样值</translation>
    </message>
    <message>
        <source>it holds no valid point</source>
        <translation>其中没有有效的点</translation>
    </message>
</context>
<context>
    <name>ScanAxis</name>
    <message>
        <source>X (mm)</source>
        <translation>X (mm)</translation>
    </message>
    <message>
        <source>Y (mm)</source>
        <translation>Y (mm)</translation>
    </message>
</context>
<context>
    <name>StreamHealthMonitor</name>
    <message>
        <source>%1 fps</source>
        <translation>%1 帧/秒</translation>
    </message>
    <message>
        <source>Lost %1</source>
        <translation>丢帧 %1</translation>
    </message>
    <message>
        <source>Dropped %1</source>
        <translation>丢弃 %1</translation>
    </message>
    <message>
        <source>Packets resent %1, missing %2</source>
        <translation>数据包重发 %1，缺失 %2</translation>
    </message>
    <message>
        <source>Frames shown per second, frames lost on the camera's transport and frames the viewer received but could not show, since the grab started; on GigE Vision also the packets the camera resent and those that never arrived</source>
        <translation>每秒显示帧数、相机传输中丢失的帧数，以及查看器已收到但未能显示的帧数（自开始采集起）；GigE Vision 相机还显示重发的数据包和始终未到达的数据包</translation>
    </message>
</context>
<context>
    <name>ZMKImageView</name>
    <message>
        <source>Zoom: %1%</source>
        <translation>缩放：%1%</translation>
    </message>
    <message>
        <source>X: %1  Y: %2  Value: %3</source>
        <translation>X：%1  Y：%2  值：%3</translation>
    </message>
    <message>
        <source>X: %1  Y: %2  RGB: %3, %4, %5</source>
        <translation>X：%1  Y：%2  RGB：%3, %4, %5</translation>
    </message>
    <message>
        <source>X: %1  Y: %2  no data</source>
        <translation>X：%1  Y：%2  无数据</translation>
    </message>
</context>
</TS>
